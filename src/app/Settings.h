#pragma once
// The few values the player may change without recompiling: window size and mode, volumes.

#include "app/SettingsFile.h"

#include <istream>
#include <map>
#include <string>
#include <vector>

class Settings {
public:
    // The process-wide settings, read from "settings.txt" in the working directory on first use.
    static Settings& instance();

    // Reads whitespace-separated key/value pairs from the file at path; lines that start with
    // "#" are comments.
    explicit Settings(const std::string& path);
    // Reads key/value pairs from an already open stream (no error line).
    explicit Settings(std::istream& in);

    // The value of key as it stands in the file; false when the key is absent.
    bool find(const std::string& key, std::string& value) const;
    const std::string& path() const { return fileName; }
    // Changes key to value now, and in the file, keeping everything else in it. A file that
    // cannot be written gets a console line naming it and false; the change still holds.
    bool set(const std::string& key, const std::string& value);
    // Changes several keys in one write; error says why a write failed.
    bool set(const SettingChanges& changes, std::string& error);
    // The value of key as atoi reads it, or -1 when the key is absent.
    int getInt(const std::string& key) const;
    // A percentage read like getInt: 100 when the key is absent; a value outside 0 to 100 is
    // clamped, with a line naming the file, the key, the value given and the value used.
    int getPercent(const std::string& key) const;
    // One of the given words (the first is the default): the first when the key is absent; an
    // unknown word gives the first too, with a line naming the file, the key and the word.
    // Words are compared without regard to case.
    std::string getChoice(const std::string& key, const std::vector<std::string>& words) const;

private:
    void read(std::istream& in);

    std::string fileName = "settings.txt";
    std::map<std::string, std::string> values;
};
