#pragma once
// The start shared by the tools that play the game's own code with scripted input (grov-bench,
// grov-longrun): GLFW, the game's window without VSync, GLEW, and the input seam sized to the
// framebuffer with the mouse in its middle; then the game's own world in it, and its shut-down.

class ScriptedInput;
class ShaderCache;
class World;

// Prints "<tool>: <what failed>" on stderr and returns false, with GLFW shut down again, when
// the window or its GL cannot be had. GL's error flag is clear on success.
bool openScriptedGameWindow(const char* tool, bool fullscreen, int width, int height, ScriptedInput& input);

// The game's shader cache and world, made as the game makes them, with the viewport set to
// the framebuffer.
struct ScriptedGame {
    ShaderCache* shaders = nullptr;
    World* world = nullptr;
};
ScriptedGame startScriptedGame();
// Releases everything in the game's own order of shutting down, GLFW last.
void shutDownScriptedGame(ScriptedGame& game);
