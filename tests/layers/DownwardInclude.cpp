// Built by the layer_rules test as a game source: every layer below the game is in reach.
#include "audio/SoundSystem.h"
#include "core/Input.h"
#include "model/Tank.h"
#include "render/Camera.h"

int downwardIncludesBuild()
{
    return KEY_SPACE;
}
