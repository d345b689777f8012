#include "app/SettingsFile.h"

#include "core/PlayerFile.h"

#include <climits>
#include <cstdlib>
#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr std::size_t MAX_LINE = 4096;       // bytes; longer is no settings line
constexpr std::size_t MAX_FILE = 256 * 1024; // bytes; a settings file is a few hundred

std::string firstWord(const std::string& line)
{
    std::istringstream words(line);
    std::string word;
    words >> word;
    return word;
}

// Where a write must go: the file itself, or the file a link names.
bool writeTarget(const std::string& path, std::string& target, std::string& error)
{
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        target = path;
        return true;
    }
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved)) {
        error = path + " is a link to nothing";
        return false;
    }
    target = resolved;
    return true;
}

} // namespace

std::string withSetting(const std::string& text, const std::string& key, const std::string& value)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    const std::string setting = key + " " + value;
    bool replaced = false;
    for (auto line = lines.rbegin(); line != lines.rend() && !replaced; ++line) {
        if (firstWord(*line) == key) {
            *line = setting;
            replaced = true;
        }
    }
    if (!replaced)
        lines.push_back(setting);
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

bool saveSetting(const std::string& path, const std::string& key, const std::string& value, std::string& error)
{
    return saveSettings(path, {{key, value}}, error);
}

bool saveSettings(const std::string& path, const SettingChanges& changes, std::string& error)
{
    std::string target;
    if (!writeTarget(path, target, error))
        return false;
    std::string text;
    const ReadOutcome read =
        readLines(target, MAX_LINE, MAX_FILE, [&text](const std::string& line, bool) { text += line + "\n"; });
    // Anything but the whole file would lose the lines not read.
    if (read.status != READ_OK && read.status != READ_MISSING) {
        error = target
            + (read.status == READ_NOT_A_FILE     ? " is not a file"
                   : read.status == READ_TOO_LONG ? " is too long to be settings"
                                                  : " cannot be read: " + read.error);
        return false;
    }
    if (read.longLines > 0) {
        error = target + " has a line too long to keep";
        return false;
    }
    for (const auto& [key, value] : changes)
        text = withSetting(text, key, value);
    return replaceFile(target, text, error);
}
