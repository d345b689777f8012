#pragma once
// The process-wide registry of GL textures by file path: each image file is decoded with
// FreeImage and uploaded once, with a mipmap chain when its filter reads one, and can have its
// filters switched together with every other registered texture.

#include <GL/glew.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

struct FIBITMAP;

class TextureManager {
public:
    // The single manager, created on first use.
    static TextureManager& instance();
    // Deletes every registered texture and the manager; the next instance() starts afresh.
    static void destroy();

    // The texture of path, uploaded on the first call; later calls return the same name and
    // ignore their parameters. 0 when the file is missing or not a readable image. The pixels
    // go to GL as FreeImage stores them: rows bottom-up, BGR(A) byte order.
    GLuint load(const std::string& path, GLint internalFormat, GLenum pixelFormat, GLint minFilter, GLint magFilter,
                GLint wrapS, GLint wrapT);

    // A new array (free it with delete[]) of width x height x components bytes, bottom row
    // first; components come from internalFormat (GL_RED 1, GL_RGB(8) 3, GL_RGBA(8) 4).
    // nullptr on failure; width and height are set to 0 first.
    unsigned char* loadPixels(const std::string& path, std::uint32_t& width, std::uint32_t& height,
                              GLint internalFormat);

    // Registers a texture made elsewhere, with its mipmap chain, under key (which names no
    // file), so that setFiltering, remove and destroy reach it like the loaded ones.
    void adopt(const std::string& key, GLuint name) { textures[key] = name; }

    // The top level of a GL texture as RGBA bytes, GL's row order, with its size; empty (and
    // a zero size) for texture 0 or one without pixels.
    static std::vector<unsigned char> readTopLevel(GLuint texture, int& width, int& height);
    // The size of a GL texture's top level; 0 x 0 for texture 0.
    static void topLevelSize(GLuint texture, int& width, int& height);

    // Applies one filter pair to every registered texture, first making the mipmap chains a
    // mipmapping filter needs; the last texture stays bound.
    void setFiltering(GLint minFilter, GLint magFilter);

    bool contains(const std::string& path) const;
    // The GL name of path, 0 if it is not registered.
    GLuint nameOf(const std::string& path) const;
    // Deletes the texture of path and forgets it; unknown paths are ignored.
    void remove(const std::string& path);
    std::size_t size() const { return textures.size(); }

    // Decodes an image by content, or by file name when the content says nothing; nullptr,
    // after a line naming the file, when FreeImage cannot read it. Release it with FreeImage_Unload.
    static FIBITMAP* openImage(const std::string& path);

private:
    TextureManager() = default;
    ~TextureManager() = default;
    TextureManager(const TextureManager&) = delete;
    TextureManager& operator=(const TextureManager&) = delete;

    std::map<std::string, GLuint> textures;
    std::set<GLuint> withoutMipmaps; // loaded with a filter that reads no chain, none made yet
};
