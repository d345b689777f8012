#include "Screen.h"

#include "GameProcess.h"

#include <FreeImage.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <unistd.h>

namespace {

constexpr int ocrEnlargement = 3;

std::string tempPath(const std::string& suffix)
{
    char pattern[] = "/tmp/grov-shot-XXXXXX";
    int fd = mkstemp(pattern);
    if (fd >= 0)
        close(fd);
    std::string base = pattern;
    unlink(base.c_str());
    return base + suffix;
}

Picture loadPng(const std::string& path)
{
    Picture picture;
    FIBITMAP* image = FreeImage_Load(FIF_PNG, path.c_str());
    if (!image)
        return picture;
    FIBITMAP* rgb = FreeImage_ConvertTo24Bits(image);
    FreeImage_Unload(image);
    if (!rgb)
        return picture;
    picture.width = static_cast<int>(FreeImage_GetWidth(rgb));
    picture.height = static_cast<int>(FreeImage_GetHeight(rgb));
    picture.rgb.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
    for (int y = 0; y < picture.height; ++y) {
        // FreeImage keeps rows bottom-up and pixels as BGR.
        const BYTE* row = FreeImage_GetScanLine(rgb, picture.height - 1 - y);
        for (int x = 0; x < picture.width; ++x) {
            unsigned char* out = &picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
            out[0] = row[x * 3 + FI_RGBA_RED];
            out[1] = row[x * 3 + FI_RGBA_GREEN];
            out[2] = row[x * 3 + FI_RGBA_BLUE];
        }
    }
    FreeImage_Unload(rgb);
    return picture;
}

Rect clampRect(const Picture& picture, Rect region)
{
    if (region.x < 0) {
        region.width += region.x;
        region.x = 0;
    }
    if (region.y < 0) {
        region.height += region.y;
        region.y = 0;
    }
    if (region.x + region.width > picture.width)
        region.width = picture.width - region.x;
    if (region.y + region.height > picture.height)
        region.height = picture.height - region.y;
    return region;
}

std::string shellQuote(const std::string& text)
{
    return "'" + text + "'";
}

} // namespace

double Picture::difference(const Picture& other, const Rect& area) const
{
    Rect region = clampRect(*this, area);
    if (other.width != width || other.height != height || region.width <= 0 || region.height <= 0)
        return 255.0;
    double total = 0.0;
    for (int y = region.y; y < region.y + region.height; ++y)
        for (int x = region.x; x < region.x + region.width; ++x)
            for (int c = 0; c < 3; ++c)
                total += std::abs(int(at(x, y)[c]) - int(other.at(x, y)[c]));
    return total / (3.0 * region.width * region.height);
}

int Picture::countReddish(const Rect& area) const
{
    Rect region = clampRect(*this, area);
    int count = 0;
    for (int y = region.y; y < region.y + region.height; ++y)
        for (int x = region.x; x < region.x + region.width; ++x) {
            const unsigned char* p = at(x, y);
            if (p[0] > 150 && p[0] > p[1] + 70 && p[0] > p[2] + 70)
                ++count;
        }
    return count;
}

double Picture::sharpness(const Rect& area) const
{
    Rect region = clampRect(*this, area);
    double total = 0.0;
    int samples = 0;
    for (int y = region.y; y < region.y + region.height - 1; ++y)
        for (int x = region.x; x < region.x + region.width - 1; ++x) {
            for (int c = 0; c < 3; ++c)
                total += std::abs(int(at(x, y)[c]) - int(at(x + 1, y)[c]))
                    + std::abs(int(at(x, y)[c]) - int(at(x, y + 1)[c]));
            ++samples;
        }
    return samples ? total / samples : 0.0;
}

bool Picture::save(const std::string& path) const
{
    if (empty())
        return false;
    FIBITMAP* image = FreeImage_Allocate(width, height, 24);
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(image, height - 1 - y);
        for (int x = 0; x < width; ++x) {
            row[x * 3 + FI_RGBA_RED] = at(x, y)[0];
            row[x * 3 + FI_RGBA_GREEN] = at(x, y)[1];
            row[x * 3 + FI_RGBA_BLUE] = at(x, y)[2];
        }
    }
    bool saved = FreeImage_Save(FIF_PNG, image, path.c_str());
    FreeImage_Unload(image);
    return saved;
}

Picture captureWindow(unsigned long window)
{
    std::string path = tempPath(".png");
    runCommand("import -window " + std::to_string(window) + " " + shellQuote(path) + " 2>/dev/null");
    Picture picture = loadPng(path);
    unlink(path.c_str());
    return picture;
}

std::string readText(const Picture& picture, const Rect& area, bool singleLine, const std::string& allowed)
{
    Rect region = clampRect(picture, area);
    std::string input = tempPath(".png");
    std::string prepared = tempPath(".png");
    picture.save(input);
    std::ostringstream command;
    command << "convert " << shellQuote(input) << " -crop " << region.width << "x" << region.height << "+" << region.x
            << "+" << region.y << " +repage -colorspace Gray -threshold 70% -negate -resize " << ocrEnlargement * 100
            << "% " << shellQuote(prepared) << " && tesseract " << shellQuote(prepared) << " - --psm "
            << (singleLine ? 7 : 6);
    if (!allowed.empty())
        command << " -c tessedit_char_whitelist=" << shellQuote(allowed);
    command << " 2>/dev/null";
    std::string text = runCommand(command.str());
    unlink(input.c_str());
    unlink(prepared.c_str());
    return text;
}

std::vector<Word> readWords(const Picture& picture)
{
    std::string input = tempPath(".png");
    std::string prepared = tempPath(".png");
    picture.save(input);
    // Keep only near-white pixels (the HUD's letters), black on white.
    std::string tsv =
        runCommand("convert " + shellQuote(input) + " -fuzz 18% -fill black +opaque white -negate "
                   + shellQuote(prepared) + " && tesseract " + shellQuote(prepared) + " - tsv 2>/dev/null");
    unlink(input.c_str());
    unlink(prepared.c_str());

    std::vector<Word> words;
    std::istringstream lines(tsv);
    std::string line;
    std::getline(lines, line); // header
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string field;
        std::vector<std::string> columns;
        while (std::getline(fields, field, '\t'))
            columns.push_back(field);
        if (columns.size() < 12 || columns[11].empty())
            continue;
        words.push_back({columns[11],
                         {std::atoi(columns[6].c_str()), std::atoi(columns[7].c_str()), std::atoi(columns[8].c_str()),
                          std::atoi(columns[9].c_str())}});
    }
    return words;
}

std::string squeezed(const std::string& text)
{
    std::string letters;
    for (char c : text)
        if (std::isalnum(static_cast<unsigned char>(c)))
            letters += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return letters;
}

double closeness(const std::string& read, const std::string& expected)
{
    std::string a = squeezed(read);
    std::string b = squeezed(expected);
    if (a.empty() && b.empty())
        return 1.0;
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return 1.0 - double(row[b.size()]) / double(std::max(a.size(), b.size()));
}

std::string screenshotDirectory()
{
    const char* dir = std::getenv("GROV_SCREENSHOT_DIR");
    return dir ? dir : "";
}

void keepScreenshot(const Picture& picture, const std::string& name)
{
    const std::string dir = screenshotDirectory();
    if (!dir.empty())
        picture.save(dir + "/" + name + ".png");
}
