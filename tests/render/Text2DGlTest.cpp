// The glyph-grid mesh of a text line and when it is rebuilt.

#include "GlTestContext.h"
#include "LandscapeScene.h"
#include "render/Text2D.h"
#include "render/TextureManager.h"

#include <gtest/gtest.h>

#include <string>
#include <memory>
#include <vector>

namespace {

// Reads back what was uploaded to the GL buffers.
class InspectedText : public Text2D {
public:
    std::vector<float> positions() const { return read(positionBuffer_); }
    std::vector<float> texcoords() const { return read(texcoordBuffer_); }

private:
    std::vector<float> read(GLuint buffer) const
    {
        std::vector<float> values(static_cast<std::size_t>(vertexCount_) * 2);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glGetBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(values.size() * sizeof(float)), values.data());
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        return values;
    }
};

class Text2DGlTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!GlTestContext::open())
            GTEST_SKIP() << "no OpenGL 3.3 context";
        // The default font is a path relative to the run directory.
        workingDirectory = std::make_unique<ScopedWorkingDirectory>(GROV_GAME_DIR);
    }

    void TearDown() override
    {
        TextureManager::destroy();
        workingDirectory.reset();
    }

    std::unique_ptr<ScopedWorkingDirectory> workingDirectory;
};

} // namespace

TEST_F(Text2DGlTest, CapitalAFillsTheCentredBoxFromItsCell)
{
    InspectedText text;
    EXPECT_TRUE(text.isTransparent());
    text.setText("A");
    ASSERT_EQ(text.vertexCount(), 4);
    const std::vector<float> positions = text.positions();
    const std::vector<float> expectedPositions = {-0.5f, 0.5f, -0.5f, -0.5f, 0.5f, 0.5f, 0.5f, -0.5f};
    EXPECT_EQ(positions, expectedPositions);
    // Code 65 is column 1, row 4 of the grid: u 0.0625 to 0.125, v 0.6875 to 0.75.
    const std::vector<float> texcoords = text.texcoords();
    const std::vector<float> expectedTexcoords = {0.0625f, 0.75f, 0.0625f, 0.6875f, 0.125f, 0.75f, 0.125f, 0.6875f};
    ASSERT_EQ(texcoords.size(), expectedTexcoords.size());
    for (std::size_t i = 0; i < texcoords.size(); ++i)
        EXPECT_FLOAT_EQ(texcoords[i], expectedTexcoords[i]) << i;
}

TEST_F(Text2DGlTest, OnlyAChangedTextIsRebuilt)
{
    Text2D text;
    text.setText("FPS: 00.00");
    // A text without a font gets the default one on unit 1.
    EXPECT_EQ(text.textureUnit(), 1);
    EXPECT_EQ(text.fontTexture(), int(TextureManager::instance().nameOf("res/font.png")));
    EXPECT_NE(text.fontTexture(), 0) << "generate the data first";
    const GLuint firstMesh = text.vertexArray();
    text.setText("FPS: 00.00");
    EXPECT_EQ(text.vertexArray(), firstMesh);
    EXPECT_TRUE(glIsVertexArray(firstMesh));

    text.setText("FPS: 59.94");
    EXPECT_FALSE(glIsVertexArray(firstMesh));
    EXPECT_EQ(text.vertexCount(), 40);

    text.setText("");
    EXPECT_TRUE(text.hasText());
    EXPECT_EQ(text.vertexCount(), 0);
}

TEST_F(Text2DGlTest, AlignmentPlacesTheBox)
{
    InspectedText text;
    text.setAlignment(Text2D::ALIGN_RIGHT);
    text.setText("ab");
    std::vector<float> positions = text.positions();
    ASSERT_EQ(positions.size(), 16u);
    // Ends at the origin, sits on it: x from -1 to 0, y from 0 to 1; glyphs half a unit wide.
    EXPECT_FLOAT_EQ(positions[0], -1.0f);
    EXPECT_FLOAT_EQ(positions[1], 1.0f);
    EXPECT_FLOAT_EQ(positions[3], 0.0f);
    EXPECT_FLOAT_EQ(positions[4], -0.5f);
    EXPECT_FLOAT_EQ(positions[14], 0.0f);

    // Changing the alignment of a shown text moves it at once.
    text.setAlignment(Text2D::ALIGN_LEFT);
    positions = text.positions();
    EXPECT_FLOAT_EQ(positions[0], 0.0f);
    EXPECT_FLOAT_EQ(positions[14], 1.0f);
}

TEST_F(Text2DGlTest, BytesAboveAsciiStayInsideTheGrid)
{
    InspectedText text;
    text.setText(std::string("\xe9\xff\x80", 3));
    const std::vector<float> texcoords = text.texcoords();
    for (float value : texcoords) {
        EXPECT_GE(value, 0.0f);
        EXPECT_LE(value, 1.0f);
    }
    // 0xe9 is cell 233: column 9, row 14.
    EXPECT_FLOAT_EQ(texcoords[0], 9 * 0.0625f);
    EXPECT_FLOAT_EQ(texcoords[1], 1.0f - 14 * 0.0625f);
}
