#include "core/ScreenshotPath.h"

#include "core/PlayerFile.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace {

// More screenshots than this in one second are not something a player takes.
constexpr int MAX_NUMBER = 1000;

bool isDirectory(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// lstat, so a dangling link counts as taken: writing through it would land somewhere else.
bool isTaken(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace

std::string screenshotFolder(const char* xdgPicturesDir, const char* home, const char* xdgDataHome)
{
    // As with the other XDG variables, only an absolute path counts.
    if (xdgPicturesDir && xdgPicturesDir[0] == '/')
        return xdgPicturesDir;
    if (home && home[0] == '/') {
        const std::string pictures = std::string(home) + "/Pictures";
        if (isDirectory(pictures))
            return pictures;
    }
    const std::string data = playerDataDirectory(xdgDataHome, home);
    return data.empty() ? data : data + "/screenshots";
}

std::string screenshotFolder()
{
    return screenshotFolder(std::getenv("XDG_PICTURES_DIR"), std::getenv("HOME"), std::getenv("XDG_DATA_HOME"));
}

std::string screenshotFileName(const std::tm& localTime, int number)
{
    char stamp[32];
    if (std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &localTime) == 0)
        stamp[0] = '\0';
    std::string name = std::string("grov-rage-") + stamp;
    if (number > 1)
        name += "-" + std::to_string(number);
    return name + ".png";
}

std::string freeScreenshotPath(const std::string& directory, const std::tm& localTime)
{
    for (int number = 1; number <= MAX_NUMBER; ++number) {
        const std::string path = directory + "/" + screenshotFileName(localTime, number);
        if (!isTaken(path))
            return path;
    }
    return std::string();
}
