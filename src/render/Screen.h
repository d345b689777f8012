#pragma once
// Whole-frame GL state that the World switches: clearing, the target and viewport, depth
// testing, face culling, polygon mode and the texture filter table of the sampling and
// mip-mapping toggles.

// Clears colour and depth of the current target to the given colour.
void clearScreen(float red, float green, float blue, float alpha = 1.0f);
// The colour a clear without a colour of its own fills with.
void setClearColour(float red, float green, float blue, float alpha);
// Draws into the framebuffer (0: the window) over width x height pixels.
void bindDrawTarget(unsigned int framebuffer);
void setViewport(int width, int height);
// The samples per pixel of the target drawn into now; 0 when it is single-sampled.
int drawTargetSamples();
void setDepthTest(bool enabled);
void setFaceCulling(bool enabled);
// Lines for wireframe, filled polygons otherwise, for both faces.
void setPolygonLines(bool lines);

// samplingMode: 0 nearest, 1 bilinear; mipmapMode: 0 off, 1 nearest, 2 linear.
struct TextureFilters {
    int minifying;
    int magnifying;
};
TextureFilters textureFiltersFor(int mipmapMode, int samplingMode);
