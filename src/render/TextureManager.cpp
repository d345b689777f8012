#include "render/TextureManager.h"

#include <FreeImage.h>

#include <cstdio>
#include <cstring>
#include <iostream>

namespace {

TextureManager* theManager = nullptr;

// What the decoder said about the image being opened, for the line that names the file.
std::string decoderMessage;

void keepDecoderMessage(FREE_IMAGE_FORMAT, const char* message)
{
    if (decoderMessage.empty() && message)
        decoderMessage = message;
}

// The game draws on with texture 0 in place of an image it cannot use; this line tells the
// player which file to replace.
void reportUnusable(const std::string& path, const std::string& reason)
{
    std::cout << "Could not load image '" << path << "': " << reason << std::endl;
}

// The largest side of any image the game accepts; no GL texture can be larger anyway.
constexpr unsigned MAX_IMAGE_SIDE = 16384; // pixels
// And the most pixels in all: a picture of 8192 x 8192 already takes a few hundred megabytes
// once decoded, widened and handed to GL, and the game's own are at most 1024 x 1024.
constexpr unsigned long long MAX_IMAGE_PIXELS = 8192ULL * 8192ULL;

constexpr const char* TOO_LARGE = "the image claims to be larger than any texture";
// FreeImage widens only 8-bit channels; a 16-bit grey or a floating-point image has none.
constexpr const char* CANNOT_WIDEN = "the image's pixels cannot be converted to 8-bit channels";

bool usesMipmaps(GLint minFilter)
{
    return minFilter != GL_NEAREST && minFilter != GL_LINEAR;
}

bool plausibleSize(FIBITMAP* image)
{
    const unsigned width = FreeImage_GetWidth(image);
    const unsigned height = FreeImage_GetHeight(image);
    return width <= MAX_IMAGE_SIDE && height <= MAX_IMAGE_SIDE
        && static_cast<unsigned long long>(width) * height <= MAX_IMAGE_PIXELS;
}

// A damaged header can claim billions of pixels, and FreeImage would allocate them all before
// finding the data short. Where the format allows it, the header is read alone first.
bool headerClaimsTooMuch(FREE_IMAGE_FORMAT format, const std::string& path)
{
    if (!FreeImage_FIFSupportsNoPixels(format))
        return false;
    FIBITMAP* header = FreeImage_Load(format, path.c_str(), FIF_LOAD_NOPIXELS);
    if (!header)
        return false;
    const bool tooMuch = !plausibleSize(header);
    FreeImage_Unload(header);
    return tooMuch;
}

// FreeImage pads every row to whole 32-bit words, which is also GL's default unpack alignment.
constexpr GLint FREEIMAGE_ROW_ALIGNMENT = 4; // bytes

// Bytes GL reads per pixel for a client pixel format.
unsigned bytesPerPixel(GLenum pixelFormat)
{
    switch (pixelFormat) {
    case GL_RED:
    case GL_GREEN:
    case GL_BLUE:
    case GL_ALPHA:
        return 1;
    case GL_RG:
        return 2;
    case GL_RGB:
    case GL_BGR:
        return 3;
    default:
        return 4;
    }
}

// A copy of image with at least bits bits per pixel in plain 8-bit channels, or nullptr when
// FreeImage cannot convert it.
FIBITMAP* widen(FIBITMAP* image, unsigned bits)
{
    if (bits <= 8)
        return FreeImage_ConvertToGreyscale(image);
    if (bits <= 24)
        return FreeImage_ConvertTo24Bits(image);
    return FreeImage_ConvertTo32Bits(image);
}

// Makes sure that reading bytes per pixel from every row stays inside the image: images with
// fewer bits per pixel than the caller's format (a grey or palette PNG asked for as BGRA) are
// widened. Images that already have enough bytes are left exactly as FreeImage decoded them.
// Returns the image to use, which is either the original or its replacement.
FIBITMAP* ensureBytesPerPixel(FIBITMAP* image, unsigned bytes)
{
    if (FreeImage_GetBPP(image) >= bytes * 8)
        return image;
    FIBITMAP* wide = widen(image, bytes * 8);
    FreeImage_Unload(image);
    return wide;
}

} // namespace

TextureManager& TextureManager::instance()
{
    if (!theManager)
        theManager = new TextureManager();
    return *theManager;
}

void TextureManager::destroy()
{
    if (!theManager)
        return;
    while (!theManager->textures.empty())
        theManager->remove(theManager->textures.begin()->first);
    delete theManager;
    theManager = nullptr;
}

FIBITMAP* TextureManager::openImage(const std::string& path)
{
    FreeImage_SetOutputMessage(keepDecoderMessage);
    decoderMessage.clear();
    if (FILE* file = std::fopen(path.c_str(), "rb"))
        std::fclose(file);
    else {
        reportUnusable(path, "no such file");
        return nullptr;
    }
    FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
    if (format == FIF_UNKNOWN)
        format = FreeImage_GetFIFFromFilename(path.c_str());
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format)) {
        reportUnusable(path, "not an image the game can read");
        return nullptr;
    }
    if (headerClaimsTooMuch(format, path)) {
        reportUnusable(path, TOO_LARGE);
        return nullptr;
    }
    FIBITMAP* image = FreeImage_Load(format, path.c_str(), 0);
    if (!image)
        reportUnusable(path, decoderMessage.empty() ? "the image is damaged" : decoderMessage);
    else if (!plausibleSize(image)) {
        // Formats whose header cannot be read alone end up here.
        FreeImage_Unload(image);
        reportUnusable(path, TOO_LARGE);
        return nullptr;
    } else if (!decoderMessage.empty())
        // A picture cut short still decodes, with the rest filled in; it is used as it is.
        std::cout << "Image '" << path << "' is damaged: " << decoderMessage << std::endl;
    return image;
}

GLuint TextureManager::load(const std::string& path, GLint internalFormat, GLenum pixelFormat, GLint minFilter,
                            GLint magFilter, GLint wrapS, GLint wrapT)
{
    auto known = textures.find(path);
    if (known != textures.end())
        return known->second;

    FIBITMAP* image = openImage(path);
    if (!image)
        return 0;
    image = ensureBytesPerPixel(image, bytesPerPixel(pixelFormat));
    if (!image) {
        reportUnusable(path, CANNOT_WIDEN);
        return 0;
    }

    BYTE* pixels = FreeImage_GetBits(image);
    const unsigned width = FreeImage_GetWidth(image);
    const unsigned height = FreeImage_GetHeight(image);
    if (!pixels || width == 0 || height == 0) {
        reportUnusable(path, "the image has no pixels");
        FreeImage_Unload(image);
        return 0;
    }

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, FREEIMAGE_ROW_ALIGNMENT);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0,
                 pixelFormat, GL_UNSIGNED_BYTE, pixels);
    // A chain only for a filter that reads one: the sky's six large faces are only ever
    // magnified, and their chains would add a third to their memory. setFiltering makes
    // the chain when a render toggle first asks for one.
    if (usesMipmaps(minFilter))
        glGenerateMipmap(GL_TEXTURE_2D);
    else
        withoutMipmaps.insert(name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapS);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapT);

    textures[path] = name;
    FreeImage_Unload(image);
    return name;
}

unsigned char* TextureManager::loadPixels(const std::string& path, std::uint32_t& width, std::uint32_t& height,
                                          GLint internalFormat)
{
    width = 0;
    height = 0;
    FIBITMAP* image = openImage(path);
    if (!image)
        return nullptr;

    BYTE* bits = FreeImage_GetBits(image);
    width = FreeImage_GetWidth(image);
    height = FreeImage_GetHeight(image);
    if (!bits) {
        FreeImage_Unload(image);
        return nullptr;
    }

    unsigned components = 0;
    switch (internalFormat) {
    case GL_RED:
        components = 1;
        break;
    case GL_RGB:
    case GL_RGB8:
        components = 3;
        break;
    case GL_RGBA:
    case GL_RGBA8:
        components = 4;
        break;
    default:
        std::cout << "Unknown internal image format" << std::endl;
        FreeImage_Unload(image);
        return nullptr;
    }

    // Pixels narrower than the requested components (and 1- or 4-bit ones, which share a
    // byte) are widened first, so every read stays inside its own row.
    image = ensureBytesPerPixel(image, components);
    if (!image) {
        reportUnusable(path, CANNOT_WIDEN);
        return nullptr;
    }
    if (width == 0 || height == 0) {
        FreeImage_Unload(image);
        return nullptr;
    }
    bits = FreeImage_GetBits(image);
    const unsigned pitch = FreeImage_GetPitch(image);
    const unsigned sourceBytes = FreeImage_GetLine(image) / width;

    unsigned char* pixels = new unsigned char[std::size_t(width) * height * components];
    unsigned char* target = pixels;
    for (std::uint32_t y = 0; y < height; ++y) {
        const BYTE* source = bits + std::size_t(y) * pitch;
        for (std::uint32_t x = 0; x < width; ++x) {
            std::memcpy(target, source, components);
            target += components;
            source += sourceBytes;
        }
    }
    FreeImage_Unload(image);
    return pixels;
}

void TextureManager::topLevelSize(GLuint texture, int& width, int& height)
{
    width = height = 0;
    if (texture == 0)
        return;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glBindTexture(GL_TEXTURE_2D, 0);
}

std::vector<unsigned char> TextureManager::readTopLevel(GLuint texture, int& width, int& height)
{
    topLevelSize(texture, width, height);
    std::vector<unsigned char> texels;
    if (width > 0 && height > 0) {
        glBindTexture(GL_TEXTURE_2D, texture);
        texels.resize(std::size_t(width) * std::size_t(height) * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    } else {
        width = height = 0;
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    return texels;
}

void TextureManager::setFiltering(GLint minFilter, GLint magFilter)
{
    const bool needsChains = usesMipmaps(minFilter);
    for (const auto& entry : textures) {
        glBindTexture(GL_TEXTURE_2D, entry.second);
        if (needsChains && withoutMipmaps.erase(entry.second) > 0)
            glGenerateMipmap(GL_TEXTURE_2D);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    }
}

bool TextureManager::contains(const std::string& path) const
{
    return textures.find(path) != textures.end();
}

GLuint TextureManager::nameOf(const std::string& path) const
{
    auto found = textures.find(path);
    return found == textures.end() ? 0 : found->second;
}

void TextureManager::remove(const std::string& path)
{
    auto found = textures.find(path);
    if (found == textures.end())
        return;
    glDeleteTextures(1, &found->second);
    withoutMipmaps.erase(found->second);
    textures.erase(found);
}
