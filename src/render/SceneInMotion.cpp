#include "render/SceneInMotion.h"

#include "render/ShaderVariable.h"

#include <algorithm>
#include <cmath>

#include <glm/gtc/type_ptr.hpp>

void SceneInMotion::setDepthTexture(int texture, int unit)
{
    depthTexture_ = texture;
    depthUnit_ = unit;
}

void SceneInMotion::setBlurSamples(int samples)
{
    blurSamples_ = std::clamp(samples, 1, MAX_BLUR_SAMPLES);
}

void SceneInMotion::setBlurScale(float scale)
{
    if (std::isfinite(scale) && scale >= 0.0f)
        blurScale_ = scale;
}

void SceneInMotion::draw(Shader* shader)
{
    // Without a depth image there is no telling how anything moved: show the colour image
    // as it is, with a single sample per pixel.
    const bool haveDepth = depthTexture_ >= 0 && depthUnit_ >= 0;
    const int unit = haveDepth ? depthUnit_ : 0;
    setUniform1i(UNIFORM_TEXTURE_MAP2, unit);
    setUniform1i(UNIFORM_BLUR_SAMPLES, haveDepth ? blurSamples_ : 1);
    setUniform1f(UNIFORM_BLUR_SCALE, haveDepth ? blurScale_ : 0.0f);
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, haveDepth ? static_cast<GLuint>(depthTexture_) : 0);
    setUniformMatrix4(UNIFORM_VIEW_PROJECTION_INVERSE, 1, GL_FALSE, glm::value_ptr(viewProjectionInverse_));
    setUniformMatrix4(UNIFORM_VIEW_PROJECTION_PREVIOUS, 1, GL_FALSE, glm::value_ptr(viewProjectionPrevious_));
    Sprite::draw(shader);
}
