// Loading images into textures once per path, their pixels for the CPU, and filter switching.

#include "GlTestContext.h"
#include "render/TextureManager.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

class TextureManagerGlTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!GlTestContext::open())
            GTEST_SKIP() << "no OpenGL 3.3 context";
        dir = std::filesystem::temp_directory_path() / ("grov-texture-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
    }

    void TearDown() override
    {
        TextureManager::destroy();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    // An 8-bit grey PNG whose pixel (x, y), y counted from the bottom row, is value(x, y).
    std::string writeGrey(const std::string& name, unsigned width, unsigned height,
                          const std::function<BYTE(unsigned, unsigned)>& value)
    {
        FIBITMAP* image = FreeImage_Allocate(int(width), int(height), 8);
        RGBQUAD* palette = FreeImage_GetPalette(image);
        for (int i = 0; i < 256; ++i)
            palette[i].rgbRed = palette[i].rgbGreen = palette[i].rgbBlue = BYTE(i);
        for (unsigned y = 0; y < height; ++y)
            for (unsigned x = 0; x < width; ++x)
                FreeImage_GetScanLine(image, int(y))[x] = value(x, y);
        const std::string path = (dir / name).string();
        EXPECT_TRUE(FreeImage_Save(FIF_PNG, image, path.c_str(), 0));
        FreeImage_Unload(image);
        return path;
    }

    std::string writeBytes(const std::string& name, const std::string& bytes)
    {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    GLuint loadHud(const std::string& path, GLint minFilter = GL_LINEAR_MIPMAP_LINEAR, GLint magFilter = GL_LINEAR)
    {
        return TextureManager::instance().load(path, GL_RGBA, GL_BGRA, minFilter, magFilter, GL_REPEAT, GL_REPEAT);
    }

    static GLint parameter(GLuint texture, GLenum name)
    {
        GLint value = 0;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
        return value;
    }

    static GLint levelWidth(GLuint texture, GLint level)
    {
        GLint width = 0;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
        return width;
    }

    std::filesystem::path dir;
};

} // namespace

TEST_F(TextureManagerGlTest, SecondLoadReturnsTheFirstNameAndKeepsItsFilters)
{
    const std::string path = writeGrey("same.png", 8, 8, [](unsigned, unsigned) { return BYTE(200); });
    const GLuint first = loadHud(path, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    ASSERT_NE(first, 0u);
    const GLuint second = loadHud(path, GL_NEAREST, GL_NEAREST);
    EXPECT_EQ(second, first);
    EXPECT_EQ(parameter(first, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(parameter(first, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(first, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(TextureManager::instance().nameOf(path), first);

    // The whole mipmap chain exists: 8, 4, 2, 1.
    EXPECT_EQ(levelWidth(first, 3), 1);
}

TEST_F(TextureManagerGlTest, UnreadableFilesGiveNameZeroAndAreNamed)
{
    const std::string good = writeGrey("good.png", 16, 16, [](unsigned x, unsigned) { return BYTE(x * 9); });
    std::ifstream in(good, std::ios::binary);
    const std::string png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A sound 16-bit grey PNG, which FreeImage decodes but cannot widen to 8-bit channels.
    FIBITMAP* deep = FreeImage_AllocateT(FIT_UINT16, 4, 4, 16);
    const std::string grey16 = (dir / "grey16.png").string();
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, deep, grey16.c_str(), 0));
    FreeImage_Unload(deep);

    const std::string paths[] = {
        (dir / "missing.png").string(),
        writeBytes("empty.png", ""),
        writeBytes("truncated.png", png.substr(0, png.size() / 3)),
        writeBytes("header-only.png", png.substr(0, 8)),
        writeBytes("notes.png", "this is not an image at all"),
        writeBytes("notes.txt", "this is not an image either"),
        grey16,
    };
    for (const std::string& path : paths) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(loadHud(path), 0u) << path;
        EXPECT_FALSE(TextureManager::instance().contains(path)) << path;
        std::uint32_t width = 7;
        std::uint32_t height = 7;
        unsigned char* pixels = TextureManager::instance().loadPixels(path, width, height, GL_RGBA);
        EXPECT_EQ(pixels, nullptr) << path;
        delete[] pixels;
        // Both loads say which file could not be used, one whole line each.
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string line = "Could not load image '" + path + "': ";
        EXPECT_EQ(out.find(line), 0u) << out;
        EXPECT_NE(out.find(line, 1), std::string::npos) << out;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << out;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// A one-bit BMP of 74 bytes whose header claims 5 x 1073741827 pixels: FreeImage would
// allocate four gigabytes for it before finding the data short.
TEST_F(TextureManagerGlTest, AHeaderClaimingBillionsOfPixelsIsRefusedUnread)
{
    const char bytes[] =
        "\x42\x4d\x4a\x00\x00\x00\x00\x00\x00\x00\x3e\x00\x00\x00\x28\x00\x00\x00\x05\x00\x00\x00\x03\x00\x00\x40\x01"
        "\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x13\x0b\x00\x00\x13\x0b\x00\x00\x02\x00\x00\x00\x02\x00\x00\x00"
        "\x00\x00\x00\x00\x00\x00\x00\x00\x6f\x00\x00\x00\xde\x00\x00\x00\x4d\x00\x00\x00";
    const std::string path = writeBytes("huge.bmp", std::string(bytes, sizeof bytes - 1));
    testing::internal::CaptureStdout();
    EXPECT_EQ(loadHud(path), 0u);
    std::uint32_t width = 7;
    std::uint32_t height = 7;
    EXPECT_EQ(TextureManager::instance().loadPixels(path, width, height, GL_RGBA), nullptr);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("Could not load image '" + path + "': "), 0u) << out;
}

TEST_F(TextureManagerGlTest, AHeaderClaimingTooManyPixelsInAllIsRefusedUnread)
{
    // Each side is allowed on its own; the two together would be a quarter of a billion pixels.
    std::string bytes(
        "\x42\x4d\x4a\x00\x00\x00\x00\x00\x00\x00\x3e\x00\x00\x00\x28\x00\x00\x00\x80\x3e\x00\x00\x80\x3e\x00\x00\x01"
        "\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x13\x0b\x00\x00\x13\x0b\x00\x00\x02\x00\x00\x00\x02\x00\x00\x00"
        "\x00\x00\x00\x00\x00\x00\x00\x00\x6f\x00\x00\x00\xde\x00\x00\x00\x4d\x00\x00\x00",
        74);
    const std::string path = writeBytes("wide.bmp", bytes);
    testing::internal::CaptureStdout();
    EXPECT_EQ(loadHud(path), 0u);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Could not load image '" + path + "': the image claims to be larger than any texture\n");
}

TEST_F(TextureManagerGlTest, PixelsStartAtTheBottomLeft)
{
    // Each pixel encodes its own place, so order and orientation both show.
    const std::string path =
        writeGrey("grey.png", 256, 256, [](unsigned x, unsigned y) { return BYTE((x + 3 * y) & 0xff); });
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::unique_ptr<unsigned char[]> pixels(TextureManager::instance().loadPixels(path, width, height, GL_RED));
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(width, 256u);
    EXPECT_EQ(height, 256u);
    bool allMatch = true;
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x)
            allMatch = allMatch && pixels[y * width + x] == BYTE((x + 3 * y) & 0xff);
    EXPECT_TRUE(allMatch);
    EXPECT_FALSE(TextureManager::instance().contains(path));

    // An unsupported layout is reported, after the size has been read.
    testing::internal::CaptureStdout();
    unsigned char* none = TextureManager::instance().loadPixels(path, width, height, GL_RG);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Unknown internal image format\n");
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(width, 256u);
}

TEST_F(TextureManagerGlTest, NarrowImagesAreWidenedToThePixelFormat)
{
    // A grey image asked for as BGRA would make GL read four bytes per pixel from one.
    const std::string path =
        writeGrey("narrow.png", 3, 2, [](unsigned x, unsigned y) { return BYTE(40 * x + 100 * y); });
    const GLuint texture = loadHud(path);
    ASSERT_NE(texture, 0u);
    unsigned char rgba[3 * 2 * 4] = {};
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    // Top-right pixel of the file: x 2, second row from the bottom.
    const unsigned char* pixel = rgba + (1 * 3 + 2) * 4;
    EXPECT_EQ(pixel[0], 180);
    EXPECT_EQ(pixel[1], 180);
    EXPECT_EQ(pixel[2], 180);
    EXPECT_EQ(pixel[3], 255);
}

TEST_F(TextureManagerGlTest, FileNamedByExtensionOnlyStillLoads)
{
    // Targa files carry no signature, so only the name tells FreeImage what they are.
    FIBITMAP* image = FreeImage_Allocate(4, 4, 24);
    const std::string path = (dir / "plain.tga").string();
    ASSERT_TRUE(FreeImage_Save(FIF_TARGA, image, path.c_str(), 0));
    FreeImage_Unload(image);
    EXPECT_NE(
        TextureManager::instance().load(path, GL_RGB, GL_BGR, GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE),
        0u);
}

TEST_F(TextureManagerGlTest, FilteringReachesEveryTextureAndRemoveForgets)
{
    TextureManager& manager = TextureManager::instance();
    const std::string hud = writeGrey("hud.png", 4, 4, [](unsigned, unsigned) { return BYTE(9); });
    const std::string height = writeGrey("height.png", 4, 4, [](unsigned, unsigned) { return BYTE(9); });
    const std::string sky = writeGrey("sky.png", 4, 4, [](unsigned, unsigned) { return BYTE(9); });
    const GLuint textures[] = {
        loadHud(hud),
        manager.load(height, GL_RED, GL_RED, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_MIRRORED_REPEAT,
                     GL_MIRRORED_REPEAT),
        manager.load(sky, GL_RGB, GL_BGR, GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE),
    };
    // The sky's filter reads no chain, so it gets none until a mipmapping filter needs one.
    EXPECT_EQ(levelWidth(textures[2], 1), 0);
    manager.setFiltering(GL_NEAREST, GL_NEAREST);
    for (GLuint texture : textures) {
        ASSERT_NE(texture, 0u);
        EXPECT_EQ(parameter(texture, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
        EXPECT_EQ(parameter(texture, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    }
    EXPECT_EQ(levelWidth(textures[2], 1), 0);
    manager.setFiltering(GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST);
    for (GLuint texture : textures)
        EXPECT_EQ(levelWidth(texture, 2), 1) << texture;
    manager.remove(sky);
    manager.remove((dir / "never-loaded.png").string());
    EXPECT_FALSE(manager.contains(sky));
    EXPECT_FALSE(glIsTexture(textures[2]));

    TextureManager::destroy();
    EXPECT_FALSE(glIsTexture(textures[0]));
    EXPECT_FALSE(glIsTexture(textures[1]));
    EXPECT_EQ(TextureManager::instance().size(), 0u);
}
