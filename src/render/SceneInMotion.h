#pragma once
// The full-screen quad of the motion-blur frames. It shows the off-screen colour image
// through the motion-blur program, handing it the depth image and this and the previous
// frame's view-projection so the program can tell how far each pixel moved on screen.

#include "render/Sprite.h"

#include <glm/glm.hpp>

class SceneInMotion : public Sprite {
public:
    static constexpr int DEFAULT_BLUR_SAMPLES = 32;
    static constexpr int MAX_BLUR_SAMPLES = 64;       // more buys nothing but time
    static constexpr float DEFAULT_BLUR_SCALE = 0.1f; // the scale at 60 frames per second

    SceneInMotion() = default;

    // The colour image comes through the inherited setTexture.
    void setDepthTexture(int texture, int unit);
    void setViewProjectionInverse(const glm::mat4& inverse) { viewProjectionInverse_ = inverse; }
    void setViewProjectionPrevious(const glm::mat4& previous) { viewProjectionPrevious_ = previous; }
    // Kept within 1 to MAX_BLUR_SAMPLES.
    void setBlurSamples(int samples);
    // A scale that is not a finite number of at least 0 (a frame with no real time step
    // gives an infinite one) is ignored and the last good scale stays.
    void setBlurScale(float scale);

    int depthTexture() const { return depthTexture_; }
    int depthUnit() const { return depthUnit_; }
    int blurSamples() const { return blurSamples_; }
    float blurScale() const { return blurScale_; }
    const glm::mat4& viewProjectionInverse() const { return viewProjectionInverse_; }
    const glm::mat4& viewProjectionPrevious() const { return viewProjectionPrevious_; }

    void draw(Shader* shader) override;

private:
    int depthUnit_ = -1;
    int depthTexture_ = -1;
    int blurSamples_ = DEFAULT_BLUR_SAMPLES;
    float blurScale_ = DEFAULT_BLUR_SCALE;
    glm::mat4 viewProjectionInverse_ = glm::mat4(1.0f);
    glm::mat4 viewProjectionPrevious_ = glm::mat4(1.0f);
};
