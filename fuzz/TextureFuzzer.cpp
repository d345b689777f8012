// Any bytes as an image file: decoded by the texture manager into raw pixels in each of the
// game's formats (the height map's grey, the ground's colour, the HUD's alpha) and uploaded
// as a texture the way the sky, the ground and the HUD upload theirs.

#include "FuzzSupport.h"

#include "render/TextureManager.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

struct PixelRequest {
    GLint internalFormat;
    unsigned components;
};
constexpr PixelRequest PIXEL_REQUESTS[] = {{GL_RED, 1}, {GL_RGB, 3}, {GL_RGBA, 4}};

struct UploadRequest {
    GLint internalFormat;
    GLenum pixelFormat;
};
constexpr UploadRequest UPLOAD_REQUESTS[] = {{GL_RED, GL_RED}, {GL_RGB, GL_BGR}, {GL_RGBA, GL_BGRA}};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::enterRunDirectory();
    FuzzSupport::requireGlContext();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The name only matters when the content says nothing; both of the game's kinds get tried.
    static const std::string png = FuzzSupport::scratchPath(".png");
    static const std::string jpg = FuzzSupport::scratchPath(".jpg");
    const std::string& path = size % 2 ? jpg : png;
    if (!FuzzSupport::writeFile(path, data, size))
        std::abort();

    TextureManager& textures = TextureManager::instance();
    for (const PixelRequest& request : PIXEL_REQUESTS) {
        std::uint32_t width = 1, height = 1;
        unsigned char* pixels = textures.loadPixels(path, width, height, request.internalFormat);
        if (pixels) {
            if (width == 0 || height == 0)
                std::abort();
            // Reading the last byte shows a buffer shorter than width x height x components.
            volatile unsigned char last = pixels[std::size_t(width) * height * request.components - 1];
            (void)last;
        }
        delete[] pixels;
    }

    for (const UploadRequest& request : UPLOAD_REQUESTS) {
        const GLuint name = textures.load(path, request.internalFormat, request.pixelFormat, GL_LINEAR_MIPMAP_LINEAR,
                                          GL_LINEAR, GL_REPEAT, GL_REPEAT);
        if ((name != 0) != textures.contains(path))
            std::abort();
        textures.remove(path);
    }
    glFinish();
    return 0;
}
