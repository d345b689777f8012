#pragma once
// A fixture whose every test gets a fresh folder under /tmp, removed with all in it afterwards.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

class ScratchFolderTest : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/grov-scratch-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root = pattern;
    }
    void TearDown() override
    {
        if (!root.empty())
            std::system(("rm -rf '" + root + "'").c_str());
    }

    std::string root;
};
