#include "game/GoalStore.h"

#include "core/PlayerFile.h"
#include "game/KeptFile.h"

#include <iostream>

namespace {

const char* const RUN_ONLY = "; goals last for this run only";

void say(const std::string& line)
{
    std::cout << line << std::endl;
}

} // namespace

bool GoalStore::open(const std::string& directory)
{
    folder = directory;
    saving = false;
    goals = GoalBook();
    unsavedThrows = 0;
    unsavedMetres = 0.0;
    if (folder.empty()) {
        say(std::string("Goals: there is no place for player files (neither XDG_DATA_HOME nor HOME is set)")
            + RUN_ONLY);
        return false;
    }
    std::string error;
    if (!makeDirectories(folder, error)) {
        say("Goals: cannot use the folder " + folder + " (" + error + ")" + RUN_ONLY);
        folder.clear();
        return false;
    }
    const std::string lockPath = folder + "/" + LOCK_FILE;
    const bool writable = touchFile(lockPath, error);
    if (!writable)
        say("Goals: cannot write in the folder " + folder + " (" + error + ")" + RUN_ONLY);
    FileLock lock(lockPath);
    const KeptRead read = readGoals(goals);
    saving = writable && read != KEPT_UNTOUCHED;
    // A damaged file is rewritten clean at once (its copy is kept), so it is reported once.
    if (saving && read == KEPT_REPAIRED) {
        if (!replaceFile(goalsPath(), goals.toText(), error))
            reportSaveFailure(error);
    }
    return saving;
}

void GoalStore::reach(const std::string& id, const std::string& when)
{
    goals.reach(id, when);
}

void GoalStore::addThrow(double metres, const GoalBook& throwBests)
{
    goals.mergeGoals(throwBests);
    goals.setTotals(goals.throws() + 1, goals.metres() + metres);
    ++unsavedThrows;
    unsavedMetres += metres;
    save();
}

KeptRead GoalStore::readGoals(GoalBook& book)
{
    const KeptFile file{goalsPath(), "Goals", RUN_ONLY, MAX_LINE, MAX_GOALS_BYTES};
    return readKeptFile(file, [&book](const std::string& line) {
        const GoalBook::LineKind kind = book.addLine(line);
        return kind == GoalBook::LINE_FACT ? LINE_KEPT : kind == GoalBook::LINE_EMPTY ? LINE_SKIPPED : LINE_BAD;
    });
}

void GoalStore::save()
{
    if (!saving)
        return;
    FileLock lock(folder + "/" + LOCK_FILE);
    GoalBook onDisk;
    if (readGoals(onDisk) == KEPT_UNTOUCHED) {
        saving = false;
        return;
    }
    // Another copy of the game may have saved since: its goals and bests join these, and both
    // copies' throws count in the totals.
    onDisk.mergeGoals(goals);
    onDisk.setTotals(onDisk.throws() + unsavedThrows, onDisk.metres() + unsavedMetres);
    goals = onDisk;
    unsavedThrows = 0;
    unsavedMetres = 0.0;
    std::string error;
    if (!replaceFile(goalsPath(), goals.toText(), error))
        reportSaveFailure(error);
}

void GoalStore::reportSaveFailure(const std::string& reason)
{
    if (saveFailureReported)
        return;
    saveFailureReported = true;
    say("Goals: " + reason + "; the goals of this run may not be kept");
}
