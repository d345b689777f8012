#include "PictureCompare.h"

#include <FreeImage.h>
#include <GL/glew.h>

#include <algorithm>
#include <cmath>

std::vector<std::uint8_t> readBackBuffer(int width, int height)
{
    std::vector<std::uint8_t> pixels(std::size_t(width) * std::size_t(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void PictureError::add(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    if (a.size() != b.size() || a.empty())
        return;
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double d = double(a[i]) - double(b[i]);
        sum += d * d;
    }
    squaredSum += sum;
    channels += double(a.size());
    ++pictures_;
}

double PictureError::psnr() const
{
    if (channels == 0.0)
        return 0.0;
    const double mse = squaredSum / channels;
    return mse > 0.0 ? std::min(99.0, 10.0 * std::log10(255.0 * 255.0 / mse)) : 99.0;
}

bool writePng(const std::string& path, const std::vector<std::uint8_t>& pixels, int width, int height)
{
    if (pixels.size() != std::size_t(width) * std::size_t(height) * 3)
        return false;
    FIBITMAP* image = FreeImage_Allocate(width, height, 24);
    if (!image)
        return false;
    for (int y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(image, y); // bottom-up, like GL
        const std::uint8_t* row = &pixels[std::size_t(y) * std::size_t(width) * 3];
        for (int x = 0; x < width; ++x) {
            line[x * 3 + FI_RGBA_RED] = row[x * 3];
            line[x * 3 + FI_RGBA_GREEN] = row[x * 3 + 1];
            line[x * 3 + FI_RGBA_BLUE] = row[x * 3 + 2];
        }
    }
    const bool saved = FreeImage_Save(FIF_PNG, image, path.c_str(), 0);
    FreeImage_Unload(image);
    return saved;
}
