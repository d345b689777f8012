#pragma once
// Whole-frame drawing state.

// Clears colour and depth of the current target to the given colour.
void clearScreen(float red, float green, float blue);
