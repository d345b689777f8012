#pragma once
// The projections and the blur strength the World derives from the window and the frame time.

#include <glm/glm.hpp>

#include <vector>

// Perspective of the 3D pass for a drawable of this size (field of view 45 degrees).
glm::mat4 sceneProjection(int width, int height);

// Maps the HUD square from -1 to 1 onto the largest centred square of the window; x beyond
// +-1 reaches into the side margins of a wide window.
glm::mat4 hudProjection(int width, int height);

// How far the blur reaches: 0.1 at the nominal frame rate, less on slower frames. A frame
// without a measurable duration counts as one nominal step.
float blurScaleFor(float nominalRate, double realDt);

// How tall a box is drawn, as a share of the view's height, from the clip-space matrix and its
// corners: 1 fills the view. A box reaching behind the eye counts as infinitely tall.
double drawnHeightShare(const glm::mat4& clip, const std::vector<glm::vec4>& corners);
