#pragma once
// The few values the player may change without recompiling: window size and mode.

#include <istream>
#include <map>
#include <string>

class Settings {
public:
    // The process-wide settings, read from "settings.txt" in the working directory on first use.
    static Settings& instance();

    // Reads whitespace-separated key/value pairs from the file at path.
    explicit Settings(const std::string& path);
    // Reads key/value pairs from an already open stream (no error line).
    explicit Settings(std::istream& in);

    // The value of key as atoi reads it, or -1 when the key is absent.
    int getInt(const std::string& key) const;

private:
    void read(std::istream& in);

    std::map<std::string, std::string> values;
};
