#pragma once
// Watches the rules frame by frame and says which goals a frame reached: a throw's goals while
// it flies and in the frame it ends, the totals' goals when a throw ends. It keeps nothing but
// the throw it watches; what was reached before comes from the book.

#include "game/GameLogic.h"
#include "game/Goals.h"

#include <utility>
#include <vector>

struct GoalFrame {
    std::vector<const Goal*> reached; // in the order of the goal list
    bool throwEnded = false;
    double metres = 0.0; // the ended throw's distance
    GoalBook throwBests; // the ended throw's progress towards each of a throw's goals
};

class GoalTracker {
public:
    // After the rules' update. newRecordOverGhost: the throw that ended this frame set a new
    // record while the ghost of the old one flew.
    GoalFrame update(const GameLogic& rules, const GoalBook& book, bool newRecordOverGhost = false);

    // The open goals the last throw came closest to, closest first, at most count, each with
    // how far it got (the throw's own progress, or the total for the totals' goals).
    std::vector<std::pair<const Goal*, double>> closest(const GoalBook& book, std::size_t count = 2) const;

private:
    bool flying = false;
    ThrowTally lastTally;
    double lastMetres = 0.0;
};
