// settings.txt as a player might leave it: any bytes are read as key/value pairs, and the
// values the game asks for go on to the window size it would open.

#include "app/Settings.h"
#include "app/Window.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

// The monitor modes the size falls back to in full screen: none, a common one, a huge one.
constexpr int MONITORS[][2] = {{0, 0}, {1920, 1080}, {16384, 16384}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const Settings settings(in);
    const int fullscreen = settings.getInt("FULLSCREEN");
    const int width = settings.getInt("WIDTH");
    const int height = settings.getInt("HEIGHT");

    for (const auto& monitor : MONITORS) {
        const WindowSize size = resolveWindowSize(fullscreen != 0, width, height, monitor[0], monitor[1]);
        // Whatever the file says, the game asks for a window of positive size.
        if (size.width <= 0 || size.height <= 0)
            std::abort();
    }
    return 0;
}
