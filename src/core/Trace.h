#pragma once
// The trace of events: when the environment variable GROV_TRACE names a file, the game appends
// one line per event to it, so tests and tools can follow a game without reading the screen.
// Without the variable nothing is written and nothing else changes.
//
// Each line is "<seconds> <event> <details>": the seconds since the trace opened, with three
// decimals, one word for the event, then its details up to the end of the line. The events:
//   state <n>                  the game logic entered state n (0 aiming to 3 game over)
//   message <text>             the HUD's message line shows text
//   distance <text>            the flight's distance text, at most four times a second
//   result <text>              the game-over result text
//   launch <speed>             Grov leaves the ground at speed units per second
//   arrow <degrees>            the arrow's angle, when the game pauses while aiming
//   dive <rage>                a dive started, leaving this much rage (0 to 1)
//   sound <name>               a sound started, by its file's name without folder or ".wav"
//   toggle <name> <value>      a key switched pause, fps, wireframe, sampling, mipmap, vsync,
//                              culling, transparency, ghost, sound or fullscreen to value
//   gamepad connected <name>   a gamepad came (or was there at the start), by its name
//   gamepad disconnected <name>
//   resize <width> <height>    the window's drawing area changed size, in pixels
//   fps <rate>                 once a second: the frame rate, a sign the frame loop runs
//   frame <n>                  the game's n-th frame was shown (from 1)
//   record <place> <metres>    a throw ended and was entered in the records: its place among
//                              the ten longest (0 outside them) and its distance
//   best <text>                the game-over line under the result: "Best: 412.37 m",
//                              "New record!" or "3rd best throw"
//   ghost shown <seconds>      the ghost of the best throw was drawn for the first time in this
//                              flight, this many seconds of game time after the launch
//   ghost gone                 the ghost's path ended while the flight went on
//   screenshot <path>          an F12 screenshot was written to the file at path (absolute)
//   screenshot failed <text>   it could not be: text says why and names the file or folder
//   scale <factor>             QUALITY AUTO changed the 3D scene's render scale (0.60 to 1.00)
//   menu <screen>              a menu screen opened: main, options, sound, picture, controls,
//                              how-to-play, records or goals
//   menu closed                the menu closed and the game goes on
//   setting <KEY> <value>      the menu changed a setting (a rebinding: KEY_<ACTION>, PAD_<ACTION>)
//   settings saved <path>      the change was written to settings.txt at path (absolute)
//   settings failed <text>     it could not be: text says why and names the file
//   goal <id>                  a goal was reached ("reach-250"), for the first time ever
//   card shown                 how to play shows over the first start's wheel
//   card hidden                the first throw took it away
//   sound-device lost <name>   the sound device went away; the game plays on silently
//   sound-device back <name>   a device is there again and the sound goes on through it
// Lines are written whole and flushed at once; new events may be added, existing ones keep
// their form.

#include <string>

// Writes the trace to path from now on, appending; an empty path stops it. The game calls
// this with GROV_TRACE on first use; tests call it directly.
void setTraceFile(const std::string& path);
bool traceEnabled();
void traceEvent(const std::string& event, const std::string& details);
