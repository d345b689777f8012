#include "app/Settings.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

Settings& Settings::instance()
{
    // Never deleted: it lives until the process ends.
    static Settings* settings = new Settings("settings.txt");
    return *settings;
}

Settings::Settings(const std::string& path)
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
    std::string key;
    std::string value;
    while (in >> key && in >> value)
        values[key] = value;
}

int Settings::getInt(const std::string& key) const
{
    auto found = values.find(key);
    if (found == values.end())
        return -1;
    return std::atoi(found->second.c_str());
}
