#include "app/Settings.h"

#include "app/SettingsFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

Settings& Settings::instance()
{
    // Never deleted: it lives until the process ends.
    static Settings* settings = new Settings("settings.txt");
    return *settings;
}

Settings::Settings(const std::string& path) : fileName(path)
{
    std::ifstream file(path);
    if (file.is_open())
        read(file);
    // A file that opens but cannot be read (a directory in its place, a failing disk) counts as
    // missing: the player gets the same line and the defaults, not half a file.
    if (!file.is_open() || file.bad()) {
        values.clear();
        std::printf("ERROR: Could not find setting.txt\n");
        std::fflush(stdout);
    }
}

Settings::Settings(std::istream& in)
{
    read(in);
}

void Settings::read(std::istream& in)
{
    // Tokens pair up regardless of lines; an odd token at the end is dropped.
    std::string tokens;
    for (std::string line; std::getline(in, line);) {
        const std::size_t start = line.find_first_not_of(" \t\r");
        if (start == std::string::npos || line[start] != '#')
            tokens += line + "\n";
    }
    std::istringstream pairs(tokens);
    std::string key;
    std::string value;
    while (pairs >> key && pairs >> value)
        values[key] = value;
}

bool Settings::set(const std::string& key, const std::string& value)
{
    std::string error;
    return set({{key, value}}, error);
}

bool Settings::set(const SettingChanges& changes, std::string& error)
{
    std::string what;
    for (const auto& [key, value] : changes) {
        values[key] = value;
        what += (what.empty() ? "" : ", ") + key + " " + value;
    }
    if (saveSettings(fileName, changes, error))
        return true;
    std::printf("%s: could not save %s: %s\n", fileName.c_str(), what.c_str(), error.c_str());
    std::fflush(stdout);
    return false;
}

bool Settings::find(const std::string& key, std::string& value) const
{
    const auto found = values.find(key);
    if (found == values.end())
        return false;
    value = found->second;
    return true;
}

int Settings::getInt(const std::string& key) const
{
    auto found = values.find(key);
    if (found == values.end())
        return -1;
    return std::atoi(found->second.c_str());
}

int Settings::getPercent(const std::string& key) const
{
    constexpr long lowest = 0;
    constexpr long highest = 100;
    auto found = values.find(key);
    if (found == values.end())
        return int(highest);
    // strtol rather than atoi: the same number for anything atoi reads, and a huge value
    // saturates instead of wrapping round into range.
    const long given = std::strtol(found->second.c_str(), nullptr, 10);
    const long used = given < lowest ? lowest : given > highest ? highest : given;
    if (used != given) {
        std::printf("%s: %s %s is outside %ld to %ld, using %ld\n", fileName.c_str(), key.c_str(),
                    found->second.c_str(), lowest, highest, used);
        std::fflush(stdout);
    }
    return int(used);
}

std::string Settings::getChoice(const std::string& key, const std::vector<std::string>& words) const
{
    if (words.empty())
        return std::string();
    auto found = values.find(key);
    if (found == values.end())
        return words.front();
    const auto sameWord = [](const std::string& a, const std::string& b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
               });
    };
    for (const std::string& word : words)
        if (sameWord(found->second, word))
            return word;
    std::string known;
    for (std::size_t i = 0; i < words.size(); ++i)
        known += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + words[i];
    std::printf("%s: %s %s is not %s, using %s\n", fileName.c_str(), key.c_str(), found->second.c_str(), known.c_str(),
                words.front().c_str());
    std::fflush(stdout);
    return words.front();
}
