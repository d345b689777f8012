#pragma once
// The player's records and the ghost of the best throw, in the game's folder of the player's
// data directory: records.txt (see RecordTable.h), best-throw.ghost (see GhostPath.h) and
// records.lock, which two copies of the game running at once take turns on.
//
// Nothing the files hold can stop the game: a damaged records.txt keeps its good lines and a
// copy of it is left as records.txt.bad before it is rewritten; a damaged ghost is ignored.
// Each problem gets one console line naming the file. Without a usable folder the records
// last for this run only, and the console says so once.

#include "game/GhostPath.h"
#include "game/RecordTable.h"

#include <string>

class RecordStore {
public:
    static constexpr const char* RECORDS_FILE = "records.txt";
    static constexpr const char* GHOST_FILE = "best-throw.ghost";
    static constexpr const char* LOCK_FILE = "records.lock";
    // Bytes per line and per file; a longer line is damage and is not kept in memory.
    static constexpr std::size_t MAX_LINE = 256;
    static constexpr std::size_t MAX_RECORDS_BYTES = 16 * 1024 * 1024;

    // A store without a folder: the table lasts for this run.
    RecordStore() = default;

    // Uses directory (created if missing) from now on and reads what it holds. False, after
    // its console line, when it cannot be written: the records then last for this run, though
    // those already in a readable folder are still shown. An empty directory means there is
    // no place for player files at all.
    bool open(const std::string& directory);
    bool isSaving() const { return saving; }

    // Adds a finished throw with the path it flew. With a folder, the files are read again
    // and merged first, so the throws of another copy of the game are kept too; the ghost is
    // replaced when the throw is the new best. Its place from 1, or 0 outside the ten.
    int addThrow(const ThrowRecord& record, const GhostPath& path);

    const RecordTable& table() const { return records; }
    // The best throw's path; empty when there is none or its file could not be used.
    const GhostPath& ghost() const { return bestPath; }

    std::string recordsPath() const { return folder + "/" + RECORDS_FILE; }
    std::string ghostPath() const { return folder + "/" + GHOST_FILE; }

private:
    // Reads records.txt into table. False when it must not be rewritten (it cannot be read,
    // something else stands in its place, or a damaged file could not be copied aside).
    bool readRecords(RecordTable& table);
    // Loads the ghost file when it belongs to the best throw; otherwise the ghost is empty.
    void readGhost();
    // Writes both files for the merged table; the ghost first, so a crash in between leaves
    // a ghost that no record names, which is ignored, rather than a record without its path.
    void writeFiles(const GhostPath* newBest);
    void reportSaveFailure(const std::string& reason);

    std::string folder;
    bool saving = false;
    bool saveFailureReported = false;
    bool damagedOnLastRead = false; // the last readRecords found damage (and copied the file)
    RecordTable records;
    GhostPath bestPath;
    ThrowRecord bestPathOwner; // the record bestPath belongs to
};
