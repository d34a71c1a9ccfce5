// Application.cpp -- the message loop.
#include "timer/Application.h"

#include <algorithm>

TApplication& Application() {
    static TApplication app;
    return app;
}

void TApplication::SetOnIdle(IdleHandler handler, const void* owner) {
    onIdle_ = std::move(handler);
    idleOwner_ = owner;
}

void TApplication::ClearOnIdle() {
    onIdle_ = nullptr;
    idleOwner_ = nullptr;
}

void TApplication::SetActive(bool active) {
    if (active == active_) return;
    active_ = active;
    // Copy: a hook may add or remove hooks.
    auto hooks = hooks_;
    for (auto& h : hooks)
        h.fn(active);
}

int TApplication::AddActivationHook(std::function<void(bool)> hook) {
    hooks_.push_back({nextHook_, std::move(hook)});
    return nextHook_++;
}

void TApplication::RemoveActivationHook(int id) {
    std::erase_if(hooks_, [id](const Hook& h) { return h.id == id; });
}

void TApplication::ProcessMessages() {
    platform::Event e;
    while (!terminated_ && platform::Current().PollEvent(e)) {
        if (e.kind == platform::EventKind::FocusGained) SetActive(true);
        if (e.kind == platform::EventKind::FocusLost) SetActive(false);
        if (OnEvent) OnEvent(e);
    }
}

int TApplication::Idle() {
    if (!onIdle_) return -1;
    // Keep the handler alive while it runs: it may clear or replace itself.
    IdleHandler handler = onIdle_;
    return handler();
}

void TApplication::Run() {
    while (!terminated_) {
        ProcessMessages();
        if (terminated_) break;
        int wait = Idle();
        if (terminated_) break;
        // Without a running timer nothing happens until an event arrives.
        platform::Current().WaitEvent(wait < 0 ? 100 : wait);
    }
}

void TApplication::Reset() {
    ClearOnIdle();
    active_ = true;
    terminated_ = false;
    hooks_.clear();
    OnEvent = nullptr;
}
