#pragma once
// Swallows what the game prints on standard output for its lifetime (loaders and state
// switches print lines), so benchmark figures and test logs stay readable.

#include <iostream>
#include <sstream>

class QuietConsole {
public:
    QuietConsole() : previous(std::cout.rdbuf(sink.rdbuf())) {}
    ~QuietConsole() { std::cout.rdbuf(previous); }
    QuietConsole(const QuietConsole&) = delete;
    QuietConsole& operator=(const QuietConsole&) = delete;

private:
    std::ostringstream sink;
    std::streambuf* previous;
};
