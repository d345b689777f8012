#include "FuzzSupport.h"

#include "GlTestContext.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <streambuf>
#include <vector>
#include <unistd.h>

namespace {

// Takes every character and keeps none, so a long fuzzing run does not grow in memory.
class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c == EOF ? 0 : c; }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

NullBuffer nullBuffer;

// The scratch files handed out, removed when the fuzzer ends normally.
std::vector<std::string> scratchFiles;

void removeScratchFiles()
{
    for (const std::string& path : scratchFiles)
        std::remove(path.c_str());
}

} // namespace

namespace FuzzSupport {

void enterRunDirectory()
{
    if (chdir(GROV_GAME_DIR) != 0) {
        std::fprintf(stderr, "fuzz: cannot enter the run directory %s\n", GROV_GAME_DIR);
        std::abort();
    }
    std::cout.rdbuf(&nullBuffer);
}

void requireGlContext()
{
    if (!GlTestContext::open()) {
        std::fprintf(stderr, "fuzz: this target needs a display with OpenGL 3.3 (run it under xvfb-run)\n");
        std::abort();
    }
}

std::string scratchPath(const std::string& extension)
{
    const char* dir = std::getenv("TMPDIR");
    std::string path = (dir && *dir) ? dir : "/tmp";
    path += "/grov-fuzz-" + std::to_string(getpid()) + extension;
    if (scratchFiles.empty())
        std::atexit(removeScratchFiles);
    scratchFiles.push_back(path);
    return path;
}

bool writeFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    return bool(file);
}

} // namespace FuzzSupport
