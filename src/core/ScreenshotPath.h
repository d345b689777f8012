#pragma once
// Where a screenshot goes and what it is called. The folder follows the desktop's picture
// folder when there is one, and falls back to the player's data folder, which the game
// already keeps; names carry the local time, with a number added when the name is taken.

#include <ctime>
#include <string>

// XDG_PICTURES_DIR when it is an absolute path, else "<home>/Pictures" when that folder exists,
// else "<player data folder>/screenshots" (see playerDataDirectory). Empty when none of them
// gives a place.
std::string screenshotFolder(const char* xdgPicturesDir, const char* home, const char* xdgDataHome);
// The same from the process's environment.
std::string screenshotFolder();

// "grov-rage-YYYYmmdd-HHMMSS.png", or "...-HHMMSS-<number>.png" for a number above 1.
std::string screenshotFileName(const std::tm& localTime, int number);

// The first of those names that nothing in directory has yet; empty when all of the first
// thousand are taken.
std::string freeScreenshotPath(const std::string& directory, const std::tm& localTime);
