#include "render/Screen.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

namespace {

TEST(TextureFilters, EveryModePairHasItsFilters)
{
    struct Case {
        int mipmap;
        int sampling;
        GLint minifying;
        GLint magnifying;
    };
    const Case cases[] = {
        {0, 0, GL_NEAREST, GL_NEAREST},
        {0, 1, GL_LINEAR, GL_LINEAR},
        {1, 0, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST},
        {1, 1, GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR},
        {2, 0, GL_NEAREST_MIPMAP_LINEAR, GL_NEAREST},
        {2, 1, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
    };
    for (const Case& c : cases) {
        TextureFilters filters = textureFiltersFor(c.mipmap, c.sampling);
        EXPECT_EQ(filters.minifying, c.minifying) << c.mipmap << " " << c.sampling;
        EXPECT_EQ(filters.magnifying, c.magnifying) << c.mipmap << " " << c.sampling;
    }
}

} // namespace
