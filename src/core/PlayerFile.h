#pragma once
// The player's own files (records, the ghost of the best throw): where they live, and the
// careful ways the game reads and writes them. A write goes to a temporary file beside the
// old one and is renamed over it only once it is complete and on the disk, so a crash or a
// power cut in the middle leaves the old file whole. Reading never trusts a file's size or
// content: lines are cut at a limit and the total read is bounded.

#include <cstddef>
#include <functional>
#include <string>

// "<XDG_DATA_HOME>/grov-rage", or "<HOME>/.local/share/grov-rage" when XDG_DATA_HOME is unset,
// empty or relative (the XDG rules ignore relative paths); empty when neither gives a place.
std::string playerDataDirectory(const char* xdgDataHome, const char* home);
// The same from the process's environment.
std::string playerDataDirectory();

// Whether a directory is missing or empty: nothing of the player's has been kept there yet.
bool holdsNothing(const std::string& directory);

// Creates the directory and its missing parents (new ones only for the player: 0700). False
// with the reason in error when it does not exist as a directory afterwards.
bool makeDirectories(const std::string& path, std::string& error);

// Creates the file if it is missing, changing nothing in it: whether the folder takes writes.
bool touchFile(const std::string& path, std::string& error);

// What came of reading a file line by line.
enum ReadStatus {
    READ_OK = 0,
    READ_MISSING,    // there is no such file
    READ_NOT_A_FILE, // a directory, a pipe or a device stands in its place
    READ_FAILED,     // it exists but could not be opened or read
    READ_TOO_LONG,   // more than the limit; what came before it was handed over
};

struct ReadOutcome {
    ReadStatus status = READ_OK;
    std::string error;         // the reason, for READ_FAILED
    std::size_t longLines = 0; // lines cut at the limit: only their start was handed over
    bool cutShort = false;     // the last line had no line end
};

// Hands every line of the file to onLine without its line end. A line longer than maxLine is
// handed over with its first maxLine bytes and tooLong set; the rest of it is skipped without
// being kept. Reading stops after maxBytes. Pipes and devices are never opened for reading,
// so a fifo in the file's place cannot hang the game.
ReadOutcome readLines(const std::string& path, std::size_t maxLine, std::size_t maxBytes,
                      const std::function<void(const std::string& line, bool tooLong)>& onLine);

// A replacement for a file, written beside it and put in its place by commit. Destroyed
// without a commit, it removes its temporary file and leaves the old file as it was.
class AtomicFile {
public:
    // Opens a fresh temporary file in the directory of path; see isOpen and error.
    explicit AtomicFile(const std::string& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool isOpen() const { return fd >= 0; }
    const std::string& error() const { return failure; }
    const std::string& temporaryPath() const { return temporary; }
    // Appends bytes; false (and nothing more is written) after the first failure.
    bool write(const std::string& bytes);
    // Flushes the new file to the disk and renames it over the old one. False on any
    // failure, with the old file left in place.
    bool commit();
    // The same for a file that must not replace anything: false with nameTaken set when a
    // file of that name appeared in the meantime, which is then left as it was.
    bool commitAsNew();
    bool nameTaken() const { return taken; }

private:
    void fail(const std::string& what);
    bool flushAndClose();

    std::string target;
    std::string temporary;
    std::string failure;
    int fd = -1;
    bool taken = false;
};

// Writes contents as the whole new file at path, through an AtomicFile.
bool replaceFile(const std::string& path, const std::string& contents, std::string& error);
// Copies the file at from to a new file at to (replaced whole), at most maxBytes of it.
bool copyFile(const std::string& from, const std::string& to, std::size_t maxBytes, std::string& error);

// Holds an exclusive lock on a lock file for as long as it lives, so two copies of the game
// take turns at reading, merging and writing. A lock that cannot be had (a file system
// without locks) is not waited for: the game goes on without it.
class FileLock {
public:
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool isHeld() const { return held; }

private:
    int fd = -1;
    bool held = false;
};
