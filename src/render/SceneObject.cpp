#include "render/SceneObject.h"

#include "render/Shader.h"
#include "render/ShaderVariable.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <iostream>

bool transparencyEnabled = true;
bool cullingEnabled = true;

namespace {

// With transparency switched off an object is either drawn fully or not at all.
constexpr float OPAQUE_THRESHOLD = 0.5f;

} // namespace

void SceneObject::update(double)
{}

glm::mat4 SceneObject::modelMatrix() const
{
    glm::mat4 model = glm::translate(glm::mat4(1.0f), position_);
    model = glm::rotate(model, glm::radians(rotationAngle_), rotationAxis_);
    return glm::scale(model, scale_);
}

glm::vec3 SceneObject::boundsMin() const
{
    return glm::vec3(0.0f);
}

glm::vec3 SceneObject::boundsMax() const
{
    return glm::vec3(0.0f);
}

void SceneObject::setTransparency(float transparency)
{
    transparency_ = std::clamp(transparency, 0.0f, 1.0f);
}

float SceneObject::sentTransparency() const
{
    if (!transparencyEnabled)
        return transparency_ > OPAQUE_THRESHOLD ? 1.0f : 0.0f;
    return transparency_;
}

void SceneObject::render()
{
    if (!shader_) {
        std::cout << "Warning! No shader attached to scene object" << std::endl;
        return;
    }
    if (!visible_)
        return;

    shader_->setModelMatrix(modelMatrix());

    GLboolean blendWasOn = GL_FALSE;
    if (transparent_) {
        blendWasOn = glIsEnabled(GL_BLEND);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }

    setUniform1f(UNIFORM_TRANSPARENCY, sentTransparency());

    draw(shader_);

    if (transparent_ && !blendWasOn)
        glDisable(GL_BLEND);
}

void SceneObject::drawTexturedStrip(int texture, int unit) const
{
    const int boundUnit = unit < 0 ? 0 : unit;
    const GLuint name = texture < 0 ? 0 : static_cast<GLuint>(texture);
    setUniform1i(UNIFORM_TEXTURE_MAP, boundUnit);
    glActiveTexture(GL_TEXTURE0 + boundUnit);
    glBindTexture(GL_TEXTURE_2D, name);
    glBindVertexArray(vertexArray_);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, vertexCount_);
    glBindVertexArray(0);
}
