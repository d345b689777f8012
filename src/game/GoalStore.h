#pragma once
// The player's goals in goals.txt (see Goals.h), beside the records in the game's folder of the
// player's data directory, with goals.lock for two copies of the game to take turns on.
//
// It keeps the records' guarantees: every save reads the file again and merges with it, so a
// goal or a throw another copy saved meanwhile is kept and totals add up; the write is atomic;
// a damaged file keeps its good lines, is copied aside as goals.txt.bad and named on the
// console; no line longer than a goal's fact is kept in memory. Without a usable folder the
// goals last for this run only, and the console says so once.

#include "game/Goals.h"
#include "game/KeptFile.h"

#include <string>

class GoalStore {
public:
    static constexpr const char* GOALS_FILE = "goals.txt";
    static constexpr const char* LOCK_FILE = "goals.lock";
    static constexpr std::size_t MAX_LINE = 128;              // bytes: a fact is a few dozen
    static constexpr std::size_t MAX_GOALS_BYTES = 64 * 1024; // far more than every goal's facts

    // A store without a folder: the goals last for this run.
    GoalStore() = default;

    // Uses directory (created if missing) from now on and reads what it holds. False, after its
    // console line, when the goals cannot be kept there. An empty directory means there is no
    // place for player files at all.
    bool open(const std::string& directory);
    bool isSaving() const { return saving; }

    const GoalBook& book() const { return goals; }
    // Marks a goal reached at local time when ("YYYY-MM-DD HH:MM:SS"); save keeps it.
    void reach(const std::string& id, const std::string& when);
    // A finished throw: its metres join the totals, its progress the bests. Saved at once.
    void addThrow(double metres, const GoalBook& throwBests);
    // Writes what changed, merged with what the file holds now.
    void save();

    std::string goalsPath() const { return folder + "/" + GOALS_FILE; }

private:
    // Reads goals.txt into book; KEPT_UNTOUCHED when it must not be rewritten.
    KeptRead readGoals(GoalBook& book);
    void reportSaveFailure(const std::string& reason);

    std::string folder;
    bool saving = false;
    bool saveFailureReported = false;
    GoalBook goals;
    long unsavedThrows = 0; // added to the totals here and not yet to the file
    double unsavedMetres = 0.0;
};
