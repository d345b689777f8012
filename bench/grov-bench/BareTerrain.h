#pragma once
// The yardstick of the game's frame time: the world's own terrain alone, with its own program
// and the uniforms the World gives it, drawn from the pose of the frame just played and
// presented like a game frame.

class World;

// Draws the bare terrain from the world's active camera, lit by its light and seen through
// its projection, swaps and waits for the GL to finish; the wall time of all that, in seconds.
// Changes nothing the game reads: the camera, the light and the grid's place stay as they are.
double drawBareTerrain(World& world);
