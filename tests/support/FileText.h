#pragma once
// A whole file as text; empty when it cannot be read.

#include <fstream>
#include <sstream>
#include <string>

inline std::string fileText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}
