#pragma once
// Swallows what the game prints on standard output for its lifetime (loaders and state
// switches print lines), so benchmark figures and test logs stay readable; a test reads what
// was printed to check the lines that name a file.

#include <iostream>
#include <sstream>
#include <string>

class QuietConsole {
public:
    QuietConsole() : previous(std::cout.rdbuf(sink.rdbuf())) {}
    ~QuietConsole() { std::cout.rdbuf(previous); }
    QuietConsole(const QuietConsole&) = delete;
    QuietConsole& operator=(const QuietConsole&) = delete;

    std::string text() const { return sink.str(); }

private:
    std::ostringstream sink;
    std::streambuf* previous;
};
