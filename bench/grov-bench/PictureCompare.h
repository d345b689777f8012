#pragma once
// How close one picture is to another: the window's back buffer read back, and the peak
// signal-to-noise ratio of the pictures compared over a run.

#include <cstdint>
#include <string>
#include <vector>

// The window's back buffer as rows of RGB bytes, bottom row first.
std::vector<std::uint8_t> readBackBuffer(int width, int height);

// Writes RGB rows, bottom row first, as a PNG file; false when it cannot.
bool writePng(const std::string& path, const std::vector<std::uint8_t>& pixels, int width, int height);

// Squared differences of two pictures' channels, summed over many pairs of pictures.
class PictureError {
public:
    void add(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b);
    int pictures() const { return pictures_; }
    // Peak signal-to-noise ratio in decibels over everything added; 99 when identical, 0
    // when nothing was added.
    double psnr() const;

private:
    double squaredSum = 0.0;
    double channels = 0.0;
    int pictures_ = 0;
};
