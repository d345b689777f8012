#include "game/RageMeter.h"

#include "render/ShaderVariable.h"
#include "render/TextureManager.h"

namespace {

constexpr int GAUGE_TEXTURE_UNIT = 1;

// The fill's tint is added to every texel whose colour lies in the range, which covers the
// pale body of the fill image but not its dark outline: pale turns to a hot red.
constexpr float FILL_TINT[4] = {0.5f, -0.7f, -0.7f, 0.0f};
constexpr float FILL_RANGE_START[4] = {120.0f / 255.0f, 120.0f / 255.0f, 100.0f / 255.0f, 0.0f};
constexpr float FILL_RANGE_END[4] = {1.0f, 1.0f, 1.0f, 1.0f};

void setUniform4(int id, const float (&v)[4])
{
    setUniform4f(id, v[0], v[1], v[2], v[3]);
}

} // namespace

void RageMeter::setTextures(const std::string& backgroundPath, const std::string& fillPath)
{
    TextureManager& textures = TextureManager::instance();
    const auto attach = [&textures](Sprite& sprite, const std::string& path) {
        const GLuint name =
            textures.load(path, GL_RGBA, GL_BGRA, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT);
        sprite.setTransparent(true);
        sprite.setTexture(static_cast<int>(name), GAUGE_TEXTURE_UNIT);
    };
    attach(background_, backgroundPath);
    attach(fill_, fillPath);
}

void RageMeter::findVisibleParts(int paddingTexels)
{
    background_.findVisiblePart(paddingTexels);
    fill_.findVisiblePart(paddingTexels);
}

void RageMeter::setVisiblePartOnly(bool only)
{
    background_.setVisiblePartOnly(only);
    fill_.setVisiblePartOnly(only);
}

void RageMeter::draw(Shader* shader)
{
    // Copied every frame, so moving or scaling the gauge carries both images along.
    for (Sprite* sprite : {&background_, &fill_}) {
        sprite->setPosition(position_);
        sprite->setScale(scale_);
        sprite->setShader(shader);
    }

    // The background shows its whole image untinted: an empty colour range.
    setUniform4f(UNIFORM_UV_AREA, 0.0f, 0.0f, 0.0f, 1.0f);
    setUniform4f(UNIFORM_OBJECT_COLOR, 0.0f, 0.0f, 0.0f, 0.0f);
    setUniform4f(UNIFORM_COLOR_RANGE_START, 0.0f, 0.0f, 0.0f, 0.0f);
    setUniform4f(UNIFORM_COLOR_RANGE_END, 0.0f, 0.0f, 0.0f, 0.0f);
    background_.render();

    // The fill is cut off across at u = value.
    setUniform4f(UNIFORM_UV_AREA, 0.0f, 0.0f, value_, 1.0f);
    setUniform4(UNIFORM_OBJECT_COLOR, FILL_TINT);
    setUniform4(UNIFORM_COLOR_RANGE_START, FILL_RANGE_START);
    setUniform4(UNIFORM_COLOR_RANGE_END, FILL_RANGE_END);
    fill_.render();
}
