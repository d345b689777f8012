#include "ModelFuzzTarget.h"

#include "FuzzSupport.h"

#include "model/ImportObject.h"
#include "render/Shader.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cstdlib>

namespace {

constexpr double UPDATE_STEP = 1.0 / 60.0; // seconds, the game's frame step

} // namespace

namespace ModelFuzzTarget {

Shader* setUp(const std::string& vertexShader, const std::string& fragmentShader)
{
    FuzzSupport::enterRunDirectory();
    FuzzSupport::requireGlContext();
    Shader* program = Shader::build(vertexShader, fragmentShader);
    if (!program)
        std::abort();
    program->use();
    program->setViewMatrix(glm::lookAt(glm::vec3(0.0f, 3.0f, 12.0f), glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f)));
    program->setProjectionMatrix(glm::perspective(glm::radians(60.0f), 1.0f, 0.1f, 1000.0f));
    Shader::unuse();
    return program;
}

std::string writeScratchModel(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = FuzzSupport::scratchPath(".dae");
    if (!FuzzSupport::writeFile(path, data, size))
        std::abort();
    return path;
}

void exercise(ImportObject& model, Shader* program)
{
    if (!model.isLoaded())
        return;
    if (!model.rootNode() || model.boxCorners().size() != 8)
        std::abort();
    model.setShader(program);
    model.update(UPDATE_STEP);
    program->use();
    model.draw(program);
    Shader::unuse();
    // Keep every draw inside this input, so a fault shows on the input that caused it.
    glFinish();
}

} // namespace ModelFuzzTarget
