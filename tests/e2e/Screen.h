#pragma once
// What the player sees: screenshots of the game window read back as pixels, and the texts on
// them read with OCR, so the tests check the screen rather than the game's insides.

#include <string>
#include <vector>

struct Rect {
    int x;
    int y;
    int width;
    int height;
};

// An RGB picture, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    bool empty() const { return rgb.empty(); }
    const unsigned char* at(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
    // Mean absolute difference per channel over a region, 0 to 255.
    double difference(const Picture& other, const Rect& region) const;
    // Pixels in the region whose red clearly dominates (the rage fill, the warning).
    int countReddish(const Rect& region) const;
    // Mean absolute difference between neighbouring pixels over a region: lower is blurrier.
    double sharpness(const Rect& region) const;
    bool save(const std::string& path) const;
};

struct Word {
    std::string text;
    Rect box;
};

// Captures the window's contents; an empty picture when the capture fails.
Picture captureWindow(unsigned long window);

// Reads light text in a region (the HUD's white letters) with OCR; the picture is made
// black-on-white and enlarged first, which the recogniser reads far better.
// allowed, when not empty, lists the only characters the recogniser may answer with.
std::string readText(const Picture& picture, const Rect& region, bool singleLine = false,
                     const std::string& allowed = std::string());

// Letters and digits of a text, lower case: what OCR can be trusted with.
std::string squeezed(const std::string& text);
// How alike two texts are once squeezed, from 0 (nothing alike) to 1 (the same).
double closeness(const std::string& read, const std::string& expected);
// Every word OCR finds in the whole picture, with its box in picture pixels.
std::vector<Word> readWords(const Picture& picture);

// Folder for screenshots a person may want to look at; empty when GROV_SCREENSHOT_DIR is unset.
std::string screenshotDirectory();
// Saves the picture there as <name>.png, when the folder is set.
void keepScreenshot(const Picture& picture, const std::string& name);
