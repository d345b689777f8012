#pragma once
// The window's own icon, from the application icon images the generator writes into the run
// directory. An image that is missing or unreadable costs only that size of the icon.

#include <string>

struct GLFWwindow;

// Loads "<folder>/grov-rage-<n>.png" for each icon size and gives the window the ones that
// loaded; a console line names every file that did not. Returns how many sizes were set.
int setWindowIcon(GLFWwindow* window, const std::string& folder = "icons");
