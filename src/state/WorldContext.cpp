// WorldContext.cpp -- binding the world context to a host's components.
#include "state/WorldContext.h"

#include "sprites/DXSprite.h"
#include "state/GameState.h"

TWorldContext World;

void BindWorld(TSpriteEngine* engine, TPictureCollection* pictures, const TInputStates* input) {
    TWorldContext& world = World;
    world.Engine = engine;
    world.Pictures = pictures;
    world.Input = input;
    if (engine) engine->OnFree = ForgetSprite;
}
