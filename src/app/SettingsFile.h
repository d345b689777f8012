#pragma once
// Writing one setting back into settings.txt without losing anything: every other line,
// comment and unknown key stays as it was, in its order, and a new key goes at the end. The
// write is atomic (a temporary file beside the real one, flushed, then renamed over it), and a
// settings.txt that is a link (the installed game's per-user copy) has the file it points to
// written, so the link stays.

#include <string>
#include <utility>
#include <vector>

// Settings changed together, each key with its new value.
using SettingChanges = std::vector<std::pair<std::string, std::string>>;

// The text with key set to value: the last line that sets key (the one the game reads) becomes
// "<key> <value>"; without one, that line is added at the end.
std::string withSetting(const std::string& text, const std::string& key, const std::string& value);

// Sets key to value in the file at path, which is made when it is missing. False, with the
// reason in error and the file as it was, when it cannot be read whole or written.
bool saveSetting(const std::string& path, const std::string& key, const std::string& value, std::string& error);
// Sets every key at once, in one write.
bool saveSettings(const std::string& path, const SettingChanges& changes, std::string& error);
