#include "game/GoalStore.h"

#include "core/PlayerFile.h"
#include "game/KeptFile.h"

namespace {

const char* const RUN_ONLY = "; goals last for this run only";

} // namespace

bool GoalStore::open(const std::string& directory)
{
    folder = directory;
    saving = false;
    goals = GoalBook();
    unsavedThrows = 0;
    unsavedMetres = 0.0;
    const KeptFolder use = openKeptFolder(folder, LOCK_FILE, "Goals", RUN_ONLY);
    if (use == FOLDER_UNUSABLE) {
        folder.clear();
        return false;
    }
    FileLock lock(folder + "/" + LOCK_FILE);
    const KeptRead read = readGoals(goals);
    saving = use == FOLDER_WRITABLE && read != KEPT_UNTOUCHED;
    // A damaged file is rewritten clean at once (its copy is kept), so it is reported once.
    std::string error;
    if (saving && read == KEPT_REPAIRED && !replaceFile(goalsPath(), goals.toText(), error))
        reportSaveFailure(error);
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
    sayLine("Goals: " + reason + "; the goals of this run may not be kept");
}
