// Any bytes as a static model file (the tank's kind): imported, updated and drawn.

#include "ModelFuzzTarget.h"

#include "model/ImportObject.h"

namespace {

Shader* program = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    program = ModelFuzzTarget::setUp("shader/BlinnPhongTexture.vert", "shader/BlinnPhongTexture.frag");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ImportObject model(ModelFuzzTarget::writeScratchModel(data, size));
    ModelFuzzTarget::exercise(model, program);
    return 0;
}
