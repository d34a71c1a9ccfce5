// SpriteRef.h -- TSpriteRef, a plain reference to a sprite the engine owns, as the global state
// keeps them. It remembers the sprite's TSprite address as well, so the one rule for freed
// sprites (ForgetSprite) can find it without knowing the sprite's class.
#pragma once

#include <cstddef>

class TSprite;

template <class T> class TSpriteRef {
  public:
    TSpriteRef() = default;
    TSpriteRef(std::nullptr_t) {}
    // T must be complete here (where sprites are made), not where the reference is declared.
    TSpriteRef(T* sprite) : sprite_(sprite), base_(sprite) {}

    T* operator->() const { return sprite_; }
    operator T*() const { return sprite_; }
    T* Get() const { return sprite_; }
    // The sprite as the engine knows it, without T's definition.
    TSprite* Base() const { return base_; }

    // Drops the reference when it points at `freed`; true when it did.
    bool Forget(const TSprite* freed) {
        if (!freed || base_ != freed) return false;
        sprite_ = nullptr;
        base_ = nullptr;
        return true;
    }

  private:
    T* sprite_ = nullptr;
    TSprite* base_ = nullptr;
};
