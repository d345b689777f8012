#pragma once
// Reading one of the player's own text files (records.txt, goals.txt) so that nothing in it can
// stop the game: lines too long or not understood are damage, counted and skipped; a damaged
// file is copied aside as <file>.bad before it may be rewritten, with one console line that
// names both; a file that cannot be read, or is not a file, is left alone.

#include <cstddef>
#include <functional>
#include <string>

constexpr const char* DAMAGED_COPY_SUFFIX = ".bad";

enum LineVerdict { LINE_KEPT, LINE_SKIPPED, LINE_BAD };

enum KeptRead {
    KEPT_WHOLE,     // read, nothing damaged (a missing file reads as empty)
    KEPT_REPAIRED,  // damaged: the good lines were read and a copy was kept; rewrite it clean
    KEPT_UNTOUCHED, // not to be rewritten: unreadable, not a file, or no copy could be kept
};

struct KeptFile {
    std::string path;
    std::string label;   // starts each console line: "Records"
    std::string runOnly; // ends a line about a file the game will not write: "; records last..."
    std::size_t maxLine = 256;
    std::size_t maxBytes = 0;
};

// Hands every line of the file to take, which says what it made of it.
KeptRead readKeptFile(const KeptFile& file, const std::function<LineVerdict(const std::string&)>& take);

enum KeptFolder {
    FOLDER_UNUSABLE, // no folder at all, or it cannot be made
    FOLDER_READ_ONLY,
    FOLDER_WRITABLE,
};

// Makes the player's folder for the files (created if missing) and touches its lock file in
// it: whether the folder can be used. Each way it cannot gets one console line, starting with
// label and ending with runOnly.
KeptFolder openKeptFolder(const std::string& folder, const std::string& lockFile, const std::string& label,
                          const std::string& runOnly);

// One whole line on the console, flushed at once.
void sayLine(const std::string& line);
