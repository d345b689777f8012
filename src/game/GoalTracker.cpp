#include "game/GoalTracker.h"

#include <algorithm>

GoalFrame GoalTracker::update(const GameLogic& rules, const GoalBook& book, bool newRecordOverGhost)
{
    GoalFrame frame;
    const bool nowFlying = rules.state() == GameLogic::STATE_FLIGHT;
    frame.throwEnded = flying && rules.state() == GameLogic::STATE_GAME_OVER;
    flying = nowFlying;
    if (!nowFlying && !frame.throwEnded)
        return frame;

    lastTally = rules.tally();
    lastMetres = rules.distance();
    if (frame.throwEnded)
        frame.metres = lastMetres;
    for (const Goal& goal : goalList()) {
        if (book.isReached(goal.id))
            continue;
        bool reached = false;
        if (goal.kind == GOAL_GHOST_RECORD)
            reached = frame.throwEnded && newRecordOverGhost;
        else if (goal.kind == GOAL_TOTAL_THROWS)
            reached = frame.throwEnded && double(book.throws() + 1) >= goal.target;
        else if (goal.kind == GOAL_TOTAL_METRES)
            reached = frame.throwEnded && book.metres() + lastMetres >= goal.target;
        else
            reached = throwProgress(goal, lastTally, lastMetres) >= goal.target;
        if (reached)
            frame.reached.push_back(&goal);
    }
    if (frame.throwEnded)
        for (const Goal& goal : goalList())
            if (isThrowGoal(goal) && goal.kind != GOAL_GHOST_RECORD)
                frame.throwBests.noteBest(goal.id, throwProgress(goal, lastTally, lastMetres));
    return frame;
}

std::vector<std::pair<const Goal*, double>> GoalTracker::closest(const GoalBook& book, std::size_t count) const
{
    std::vector<std::pair<const Goal*, double>> open;
    for (const Goal& goal : goalList()) {
        if (book.isReached(goal.id) || goal.kind == GOAL_GHOST_RECORD)
            continue;
        const double value = isThrowGoal(goal) ? throwProgress(goal, lastTally, lastMetres) : book.progress(goal);
        if (value > 0.0 && value < goal.target)
            open.emplace_back(&goal, value);
    }
    // Closest by share of the way; the earlier goal in the list first when two are level.
    std::stable_sort(open.begin(), open.end(), [](const auto& a, const auto& b) {
        return a.second / a.first->target > b.second / b.first->target;
    });
    if (open.size() > count)
        open.resize(count);
    return open;
}
