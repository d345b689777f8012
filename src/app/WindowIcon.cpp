#include "app/WindowIcon.h"

#include <FreeImage.h>
#include <GLFW/glfw3.h>

#include <cstdio>
#include <utility>
#include <vector>

namespace {

constexpr int ICON_SIZES[] = {64, 128, 256}; // pixels a side
// Anything much larger is not one of our icons, and not worth decoding at every start.
constexpr unsigned MAX_ICON_SIDE = 1024; // pixels

struct IconImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba; // top row first, as the windowing library wants it
};

void reportIcon(const std::string& path, const char* reason)
{
    std::printf("Could not load window icon '%s': %s\n", path.c_str(), reason);
    std::fflush(stdout);
}

bool loadIcon(const std::string& path, IconImage& icon)
{
    FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
    if (format == FIF_UNKNOWN) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        reportIcon(path, file ? "not an image the game can read" : "no such file");
        if (file)
            std::fclose(file);
        return false;
    }
    FIBITMAP* loaded = FreeImage_Load(format, path.c_str(), 0);
    if (!loaded) {
        reportIcon(path, "the image could not be decoded");
        return false;
    }
    FIBITMAP* image = FreeImage_ConvertTo32Bits(loaded);
    FreeImage_Unload(loaded);
    if (!image) {
        reportIcon(path, "the image's pixels cannot be converted to RGBA");
        return false;
    }
    const unsigned width = FreeImage_GetWidth(image);
    const unsigned height = FreeImage_GetHeight(image);
    if (width == 0 || height == 0 || width > MAX_ICON_SIDE || height > MAX_ICON_SIDE) {
        FreeImage_Unload(image);
        reportIcon(path, "the image is not of an icon's size");
        return false;
    }
    icon.width = static_cast<int>(width);
    icon.height = static_cast<int>(height);
    icon.rgba.resize(std::size_t(width) * height * 4);
    // The image library keeps rows bottom-up in its own channel order.
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* source = FreeImage_GetScanLine(image, int(height - 1 - y));
        unsigned char* target = &icon.rgba[std::size_t(y) * width * 4];
        for (unsigned x = 0; x < width; ++x, source += 4, target += 4) {
            target[0] = source[FI_RGBA_RED];
            target[1] = source[FI_RGBA_GREEN];
            target[2] = source[FI_RGBA_BLUE];
            target[3] = source[FI_RGBA_ALPHA];
        }
    }
    FreeImage_Unload(image);
    return true;
}

} // namespace

int setWindowIcon(GLFWwindow* window, const std::string& folder)
{
    if (!window)
        return 0;
    std::vector<IconImage> icons;
    for (int size : ICON_SIZES) {
        IconImage icon;
        if (loadIcon(folder + "/grov-rage-" + std::to_string(size) + ".png", icon))
            icons.push_back(std::move(icon));
    }
    if (icons.empty())
        return 0;
    std::vector<GLFWimage> images;
    for (IconImage& icon : icons)
        images.push_back(GLFWimage{icon.width, icon.height, icon.rgba.data()});
    glfwSetWindowIcon(window, static_cast<int>(images.size()), images.data());
    return static_cast<int>(images.size());
}
