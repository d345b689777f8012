// Any bytes as a skinned, animated model file (Grov's kind): imported with its bones and
// clips, posed twice along the clock, and drawn.

#include "ModelFuzzTarget.h"

#include "model/BoneObject.h"

#include <cstdlib>

namespace {

Shader* program = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    program = ModelFuzzTarget::setUp("shader/vertexSkinning.vert", "shader/BlinnPhongTexture.frag");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    BoneObject model(ModelFuzzTarget::writeScratchModel(data, size));
    ModelFuzzTarget::exercise(model, program);
    model.update(0.25);
    // Every bone the table hands out has a skinning matrix to write to.
    for (const auto& entry : model.boneTable()) {
        const int index = entry.second.index;
        if (index < 0 || std::size_t(index) >= model.boneMatrices().size())
            std::abort();
    }
    for (const auto& clip : model.animations())
        if (!clip)
            std::abort();
    return 0;
}
