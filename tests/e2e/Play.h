#pragma once
// Playing the real game from a test: where the HUD's parts lie in the window, and moves that
// wait on the game's event trace rather than on the clock, so they hold on a busy machine.

#include "GameProcess.h"
#include "Screen.h"

#include <functional>

// HUD coordinates (-1 to 1 over the largest centred square, y up) to window pixels (y down).
struct Hud {
    explicit Hud(const Picture& picture);
    int x(float hudX) const;
    int y(float hudY) const;
    // The region around a HUD point, halfWidth and halfHeight in HUD units.
    Rect around(float hudX, float hudY, float halfWidth, float halfHeight) const;
    int width;
    int height;
    int side;
};

// The arrow's angle in degrees (0 up, -90 right, -270 left: full power) from the trace line
// the game writes when it pauses while aiming.
double arrowAngle(const TraceLine& line);
// How far an angle is from another, 0 to 180 degrees.
double degreesApart(double a, double b);

// Pauses and resumes while aiming until the game pauses with the arrow at an angle that wanted
// accepts; true when it is then paused. Every try lets the arrow spin on for a while longer.
bool pauseWithArrow(GameProcess& game, const std::function<bool(double)>& wanted, int attempts = 40);

// Presses P and waits until the game has taken it and drawn the paused or running picture.
bool togglePause(GameProcess& game);

// Where the word MAX on the wheel is, relative to the wheel's centre in HUD squares; false
// when OCR does not find it in a few pictures.
bool maxOffset(GameProcess& game, double& x, double& y, Picture& picture);

// The window's picture once the game has drawn a whole frame after the trace's line `after`.
Picture shotAfter(GameProcess& game, std::size_t after);

// Waits for the end of the throw whose flight began at trace line `flight`: however long the
// tanks keep it in the air, as long as its distance keeps changing. The index of the game-over
// line, or -1 when the game ends or the distance stands still for stillSeconds first.
int waitForThrowEnd(GameProcess& game, std::size_t flight, double stillSeconds = 60.0);

// A fresh folder under /tmp named from prefix, with XDG_DATA_HOME and HOME pointed into it for
// the games the test starts (they inherit them), so nothing reaches the real home. Its path,
// or empty when it cannot be made.
std::string usePrivatePlayerFolders(const std::string& prefix);

// The trace's last lines, one a line, for a failure message.
std::string traceTail(GameProcess& game, std::size_t lines = 20);
