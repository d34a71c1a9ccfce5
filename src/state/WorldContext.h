// WorldContext.h -- what the game's sprites and screens reach of the components that host
// them: the sprite engine, the picture library, the input states, sound effects by name, and
// the host: the game's flow. TmainForm fills it whenever it builds a field; a test fills it with
// components of its own, so a world or a menu runs without a main form.
#pragma once

#include <functional>

#include "state/FlowHost.h"

class TSpriteEngine;
class TPictureCollection;
struct TInputStates;

struct TWorldContext {
    TSpriteEngine* Engine = nullptr;                 // every game and menu sprite joins this engine
    TPictureCollection* Pictures = nullptr;          // the picture file loaded for the field
    const TInputStates* Input = nullptr;             // steering and fire, polled each frame
    std::function<void(const char* name)> PlaySound; // unset: silent
    TFlowHost* Host = nullptr;                       // the game's flow and the main form
};

// Points the world context at these components and makes `engine` drop every global reference
// to a sprite as it frees it (ForgetSprite). The sound player and the host are left as they were.
void BindWorld(TSpriteEngine* engine, TPictureCollection* pictures, const TInputStates* input);

// The one world context. It lives apart from the game state, so resetting that state (a new
// run) leaves the components bound; the main form clears it before it destroys them.
extern TWorldContext World;

// One accessor per service, for the world's and the front end's code.
inline TSpriteEngine* SpriteEngine() {
    return World.Engine;
}
inline TPictureCollection& Pictures() {
    return *World.Pictures;
}
inline const TInputStates& InputStates() {
    return *World.Input;
}
inline TFlowHost& Host() {
    return *World.Host;
}
