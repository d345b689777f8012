#pragma once
// A copy of the frame being drawn, taken from the default framebuffer's back buffer after the
// last draw and before the frame is shown, so it is the picture the player sees.

#include <vector>

// Rows bottom-up as GL gives them, three bytes a pixel in blue, green, red order (what the
// image library takes on this machine), rows packed without padding.
struct CapturedFrame {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;
};

// Reads the back buffer of the window's framebuffer; an empty frame (size 0) when the size is
// not positive or GL reports an error.
CapturedFrame captureBackBuffer(int width, int height);
