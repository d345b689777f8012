#pragma once
// The goals a player plays for beyond the distance, and the book of them kept in goals.txt:
// which were reached and when, the most one throw has done towards each, and the totals over
// every game. The rules stay as they are; goals only look at them.
//
// goals.txt is plain text a person can read and edit, one fact a line:
//
//   # comment lines start with '#'; blank lines are allowed
//   throws 12                                  throws finished in all
//   metres 3456.78                             metres thrown in all
//   best bounces-10 6                          the most one throw did towards a goal
//   reached reach-250 2026-12-09 21:40:12      a goal reached, with its local date and time
//
// Any other line is damage. Deleting the file starts the goals afresh.

#include <map>
#include <string>
#include <vector>

struct ThrowTally;

enum GoalKind {
    GOAL_DISTANCE,       // metres in one throw
    GOAL_BOUNCES,        // bounces in one throw
    GOAL_TANKS,          // tanks landed on in one throw
    GOAL_DIVE_ONTO_TANK, // a dive that ends on a tank
    GOAL_CLEAN_DISTANCE, // metres in one throw before touching any tank
    GOAL_FULL_POWER,     // the launch, in percent of full power
    GOAL_FULL_RAGE,      // the rage meter, in percent
    GOAL_GHOST_RECORD,   // a new record while the ghost of the old one flies
    GOAL_TOTAL_THROWS,   // throws over every game
    GOAL_TOTAL_METRES,   // metres over every game
};

struct Goal {
    const char* id;   // in goals.txt and the trace: "reach-250"
    const char* name; // on the toast: "Quarter K"
    const char* description;
    GoalKind kind;
    double target;
};

// Every goal, roughly from the first game's to the ones that take real skill.
const std::vector<Goal>& goalList();
const Goal* findGoal(const std::string& id);
// A goal counted within one throw rather than over every game.
bool isThrowGoal(const Goal& goal);

// How far one throw got towards a goal, in the goal's own unit: its distance, its bounces...
double throwProgress(const Goal& goal, const ThrowTally& tally, double metres);
// "6 / 10 bounces": a value towards the goal, as a player reads it.
std::string progressText(const Goal& goal, double value);

class GoalBook {
public:
    static constexpr double MAX_TOTAL_METRES = 1.0e12;
    static constexpr long MAX_TOTAL_THROWS = 1000000000L;

    enum LineKind {
        LINE_FACT,
        LINE_EMPTY,   // blank or a comment
        LINE_DAMAGED, // anything else
    };

    bool isReached(const std::string& id) const { return reachedAt.count(id) > 0; }
    // Local "YYYY-MM-DD HH:MM:SS", or empty.
    std::string reachedWhen(const std::string& id) const;
    void reach(const std::string& id, const std::string& when);
    double best(const std::string& id) const;
    void noteBest(const std::string& id, double value);
    long throws() const { return throwCount; }
    double metres() const { return metreCount; }
    void setTotals(long throws, double metres);
    // What the book holds towards a goal: the best throw's, or the total.
    double progress(const Goal& goal) const;

    // Adds what the line says; the totals' lines set them, the rest merge as below.
    LineKind addLine(const std::string& line);
    // Takes the other book's goals and bests: the earlier date of a goal both reached, the
    // larger best. The totals are left: two copies of the game add to them, see GoalStore.
    void mergeGoals(const GoalBook& other);
    // The whole file: a header that explains the format, then one line per fact.
    std::string toText() const;

private:
    std::map<std::string, std::string> reachedAt;
    std::map<std::string, double> bests;
    long throwCount = 0;
    double metreCount = 0.0;
};
