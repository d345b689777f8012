#include "game/RecordStore.h"

#include "core/PlayerFile.h"
#include "game/KeptFile.h"

namespace {

const char* const RUN_ONLY = "; records last for this run only";

} // namespace

bool RecordStore::open(const std::string& directory)
{
    folder = directory;
    saving = false;
    records = RecordTable();
    bestPath = GhostPath();
    bestPathOwner = ThrowRecord();
    const KeptFolder use = openKeptFolder(folder, LOCK_FILE, "Records", RUN_ONLY);
    if (use == FOLDER_UNUSABLE) {
        folder.clear();
        return false;
    }
    const std::string lockPath = folder + "/" + LOCK_FILE;
    const bool writable = use == FOLDER_WRITABLE;

    {
        FileLock lock(lockPath);
        const bool rewritable = readRecords(records);
        saving = writable && rewritable;
        // A damaged file is rewritten clean at once (its copy is kept), so reading it again
        // before the next save does not report the same damage twice.
        if (saving && damagedOnLastRead)
            writeFiles(nullptr);
    }
    readGhost();
    return saving;
}

bool RecordStore::readRecords(RecordTable& table)
{
    const KeptFile file{recordsPath(), "Records", RUN_ONLY, MAX_LINE, MAX_RECORDS_BYTES};
    const KeptRead read = readKeptFile(file, [&table](const std::string& line) {
        ThrowRecord record;
        const RecordTable::LineKind kind = RecordTable::parseLine(line, record);
        if (kind == RecordTable::LINE_RECORD)
            table.add(record);
        return kind == RecordTable::LINE_RECORD ? LINE_KEPT : kind == RecordTable::LINE_EMPTY ? LINE_SKIPPED : LINE_BAD;
    });
    damagedOnLastRead = read == KEPT_REPAIRED;
    return read != KEPT_UNTOUCHED;
}

int RecordStore::addThrow(const ThrowRecord& record, const GhostPath& path)
{
    ThrowRecord kept = record;
    kept.metres = RecordTable::rounded(record.metres);
    records.add(kept);
    if (saving) {
        FileLock lock(folder + "/" + LOCK_FILE);
        RecordTable onDisk;
        if (readRecords(onDisk)) {
            // This run's throws join those on the disk, which another copy of the game may
            // have added since this one last read them.
            onDisk.merge(records);
            records = onDisk;
            writeFiles(records.placeOf(kept) == 1 ? &path : nullptr);
        } else {
            saving = false;
        }
    }

    const int place = records.placeOf(kept);
    if (place == 1) {
        bestPath = path;
        bestPathOwner = kept;
    } else if (!records.empty() && records.entries().front() != bestPathOwner) {
        // Another copy of the game set a new best: its ghost is on the disk.
        readGhost();
    }
    return place;
}

void RecordStore::writeFiles(const GhostPath* newBest)
{
    std::string error;
    if (newBest && !newBest->empty() && !records.empty()
        && !replaceFile(ghostPath(), newBest->toText(records.entries().front()), error))
        reportSaveFailure(error);
    if (!replaceFile(recordsPath(), records.toText(), error))
        reportSaveFailure(error);
}

void RecordStore::reportSaveFailure(const std::string& reason)
{
    if (saveFailureReported)
        return;
    saveFailureReported = true;
    sayLine("Records: " + reason + "; the records of this run may not be kept");
}

void RecordStore::readGhost()
{
    bestPath = GhostPath();
    bestPathOwner = ThrowRecord();
    if (folder.empty())
        return;
    const std::string path = ghostPath();
    std::string text;
    bool longLine = false;
    const ReadOutcome outcome =
        readLines(path, MAX_LINE, GhostPath::MAX_FILE_BYTES, [&](const std::string& line, bool tooLong) {
            longLine = longLine || tooLong;
            text += line;
            text += '\n';
        });
    std::string problem;
    if (outcome.status == READ_MISSING)
        return;
    if (outcome.status == READ_NOT_A_FILE)
        problem = "it is not a file";
    else if (outcome.status == READ_FAILED)
        problem = "it cannot be read (" + outcome.error + ")";
    else if (outcome.status == READ_TOO_LONG)
        problem = "it is larger than any flight";
    else if (longLine)
        problem = "it holds a line far too long";

    GhostPath loaded;
    ThrowRecord owner;
    // fromText names what is wrong with a damaged file itself.
    if (problem.empty() && GhostPath::fromText(text, loaded, owner, problem)
        && (records.empty() || owner != records.entries().front()))
        problem = "it belongs to the throw " + RecordTable::formatLine(owner) + ", not to the best one";
    if (!problem.empty()) {
        sayLine("Ghost: " + path + " is ignored: " + problem);
        return;
    }
    bestPath = std::move(loaded);
    bestPathOwner = owner;
}
