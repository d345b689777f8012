#include "core/Trace.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace {

struct TraceFile {
    std::FILE* file = nullptr;
    std::chrono::steady_clock::time_point opened;
    bool configured = false;

    ~TraceFile()
    {
        if (file)
            std::fclose(file);
    }
};

TraceFile& trace()
{
    static TraceFile state;
    if (!state.configured) {
        state.configured = true;
        const char* path = std::getenv("GROV_TRACE");
        if (path && *path)
            setTraceFile(path);
    }
    return state;
}

} // namespace

void setTraceFile(const std::string& path)
{
    TraceFile& state = trace();
    if (state.file)
        std::fclose(state.file);
    state.file = nullptr;
    if (path.empty())
        return;
    state.file = std::fopen(path.c_str(), "a");
    state.opened = std::chrono::steady_clock::now();
    if (!state.file)
        std::cout << "ERROR: Could not open the trace file " << path << std::endl;
}

bool traceEnabled()
{
    return trace().file != nullptr;
}

void traceEvent(const std::string& event, const std::string& details)
{
    TraceFile& state = trace();
    if (!state.file)
        return;
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - state.opened).count();
    // A text with a line break would split the event; the trace keeps one event per line.
    std::string oneLine = details;
    for (char& c : oneLine)
        if (c == '\n' || c == '\r')
            c = ' ';
    std::fprintf(state.file, "%.3f %s %s\n", seconds, event.c_str(), oneLine.c_str());
    std::fflush(state.file);
}
