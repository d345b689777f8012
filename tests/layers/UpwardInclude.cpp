// Built by the layer_rules test as a game source: the application's window is above the game,
// so this must not build.
#include "app/Window.h"

int upwardIncludeBuilds()
{
    return 0;
}
