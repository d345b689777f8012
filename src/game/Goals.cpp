#include "game/Goals.h"

#include "game/GameLogic.h"
#include "game/RecordTable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

// The wheel's segments are 15 degrees wide with full power in the middle of one: the arrow is
// in that segment from 7.5 degrees either side of it, 1 - 7.5 / 180 of full power.
constexpr double FULL_POWER_PERCENT = 100.0 - 7.5 / 180.0 * 100.0;
constexpr std::size_t MAX_ID = 32;     // characters of a goal's id in the file
constexpr std::size_t MAX_DIGITS = 13; // of a number's whole part, and of its fraction

const char* const FILE_HEADER = "# Grov Rage: the goals you reached and how far you got towards the rest.\n"
                                "#   throws <count>               throws finished in all\n"
                                "#   metres <number>              metres thrown in all\n"
                                "#   best <goal> <number>         the most one throw did towards a goal\n"
                                "#   reached <goal> <date> <time> when a goal was reached\n"
                                "# Lines starting with # are comments. Delete the file to start afresh.\n";

bool isId(const std::string& text)
{
    if (text.empty() || text.size() > MAX_ID)
        return false;
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'; });
}

// Plain digits with an optional fraction, as the file writes numbers: no sign, exponent, "nan"
// or "inf" gets through, and nothing beyond max.
bool parseNumber(const std::string& text, double max, double& value)
{
    const std::size_t point = text.find('.');
    const std::size_t whole = point == std::string::npos ? text.size() : point;
    const std::size_t decimals = point == std::string::npos ? 0 : text.size() - point - 1;
    const auto digits = [&text](std::size_t from, std::size_t count) {
        return std::all_of(text.begin() + long(from), text.begin() + long(from + count),
                           [](char c) { return c >= '0' && c <= '9'; });
    };
    if (whole == 0 || whole > MAX_DIGITS || !digits(0, whole))
        return false;
    if (point != std::string::npos && (decimals == 0 || decimals > MAX_DIGITS || !digits(point + 1, decimals)))
        return false;
    value = std::strtod(text.c_str(), nullptr);
    return std::isfinite(value) && value <= max;
}

bool parseCount(const std::string& text, long& count)
{
    double value = 0.0;
    if (text.find('.') != std::string::npos || !parseNumber(text, double(GoalBook::MAX_TOTAL_THROWS), value))
        return false;
    count = long(value);
    return true;
}

std::string formatNumber(double value)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

} // namespace

const std::vector<Goal>& goalList()
{
    // Tuned on the rules as they are: the weakest throw flies about 100 m, full power about
    // 780 m with no tank touched, so the first few come in the first games; beyond 800 m it
    // takes tanks and dives.
    static const std::vector<Goal> goals = {
        {"first-throw", "First flight", "Finish your first throw", GOAL_TOTAL_THROWS, 1},
        {"reach-250", "Quarter K", "Reach 250 m in one throw", GOAL_DISTANCE, 250},
        {"reach-500", "Half K", "Reach 500 m in one throw", GOAL_DISTANCE, 500},
        {"full-power", "Maximum", "Launch with the arrow in the MAX segment", GOAL_FULL_POWER, FULL_POWER_PERCENT},
        {"beat-the-ghost", "Outrun your ghost", "Set a new record while your ghost flies", GOAL_GHOST_RECORD, 1},
        {"throws-10", "Warmed up", "10 throws in all", GOAL_TOTAL_THROWS, 10},
        {"full-rage", "Seeing red", "Fill the rage meter", GOAL_FULL_RAGE, 100},
        {"dive-onto-tank", "Dive bomber", "End a dive on a tank", GOAL_DIVE_ONTO_TANK, 1},
        {"tanks-3", "Tank hopper", "Land on 3 tanks in one throw", GOAL_TANKS, 3},
        {"bounces-10", "Skipping stone", "Bounce 10 times in one throw", GOAL_BOUNCES, 10},
        {"clean-750", "Hands off", "Reach 750 m without touching a tank", GOAL_CLEAN_DISTANCE, 750},
        {"throws-25", "Regular", "25 throws in all", GOAL_TOTAL_THROWS, 25},
        {"reach-1000", "The full K", "Reach 1000 m in one throw", GOAL_DISTANCE, 1000},
        {"total-10km", "Long haul", "10 km in all throws together", GOAL_TOTAL_METRES, 10000},
        {"throws-100", "Devoted", "100 throws in all", GOAL_TOTAL_THROWS, 100},
    };
    return goals;
}

const Goal* findGoal(const std::string& id)
{
    for (const Goal& goal : goalList())
        if (id == goal.id)
            return &goal;
    return nullptr;
}

bool isThrowGoal(const Goal& goal)
{
    return goal.kind != GOAL_TOTAL_THROWS && goal.kind != GOAL_TOTAL_METRES;
}

double throwProgress(const Goal& goal, const ThrowTally& tally, double metres)
{
    switch (goal.kind) {
    case GOAL_DISTANCE:
        return metres;
    case GOAL_BOUNCES:
        return tally.bounces;
    case GOAL_TANKS:
        return tally.tanksLandedOn;
    case GOAL_DIVE_ONTO_TANK:
        return tally.divesOntoTanks;
    case GOAL_CLEAN_DISTANCE:
        return tally.tanksLandedOn == 0 ? metres : 0.0;
    case GOAL_FULL_POWER:
        return 100.0 * double(tally.launchPower);
    case GOAL_FULL_RAGE:
        return 100.0 * double(tally.peakRage);
    default:
        return 0.0;
    }
}

std::string progressText(const Goal& goal, double value)
{
    char text[96];
    switch (goal.kind) {
    case GOAL_DIVE_ONTO_TANK:
    case GOAL_GHOST_RECORD:
        return "not yet";
    case GOAL_TOTAL_METRES:
        std::snprintf(text, sizeof text, "%.1f / %.0f km", std::floor(value / 100.0) / 10.0, goal.target / 1000.0);
        return text;
    default:
        break;
    }
    const char* unit = goal.kind == GOAL_BOUNCES ? "bounces"
        : goal.kind == GOAL_TANKS                ? "tanks"
        : goal.kind == GOAL_FULL_POWER           ? "% power"
        : goal.kind == GOAL_FULL_RAGE            ? "% rage"
        : goal.kind == GOAL_TOTAL_THROWS         ? "throws"
                                                 : "m";
    // Whole steps only: a count that shows the target has reached it.
    std::snprintf(text, sizeof text, "%.0f / %.0f %s", std::floor(std::max(0.0, value)), std::ceil(goal.target), unit);
    return text;
}

std::string GoalBook::reachedWhen(const std::string& id) const
{
    const auto found = reachedAt.find(id);
    return found == reachedAt.end() ? std::string() : found->second;
}

void GoalBook::reach(const std::string& id, const std::string& when)
{
    const auto found = reachedAt.find(id);
    if (found == reachedAt.end() || when < found->second)
        reachedAt[id] = when;
}

double GoalBook::best(const std::string& id) const
{
    const auto found = bests.find(id);
    return found == bests.end() ? 0.0 : found->second;
}

void GoalBook::noteBest(const std::string& id, double value)
{
    if (value > best(id))
        bests[id] = value;
}

void GoalBook::setTotals(long throws, double metres)
{
    throwCount = std::min(throws, MAX_TOTAL_THROWS);
    metreCount = std::min(metres, MAX_TOTAL_METRES);
}

double GoalBook::progress(const Goal& goal) const
{
    if (goal.kind == GOAL_TOTAL_THROWS)
        return double(throwCount);
    if (goal.kind == GOAL_TOTAL_METRES)
        return metreCount;
    return best(goal.id);
}

GoalBook::LineKind GoalBook::addLine(const std::string& line)
{
    std::istringstream words(line);
    std::string first;
    if (!(words >> first) || first[0] == '#')
        return LINE_EMPTY;
    std::vector<std::string> rest;
    for (std::string word; rest.size() < 4 && words >> word;)
        rest.push_back(word);
    long count = 0;
    double value = 0.0;
    if (first == "throws" && rest.size() == 1 && parseCount(rest[0], count)) {
        throwCount = count;
        return LINE_FACT;
    }
    if (first == "metres" && rest.size() == 1 && parseNumber(rest[0], MAX_TOTAL_METRES, value)) {
        metreCount = value;
        return LINE_FACT;
    }
    if (first == "best" && rest.size() == 2 && isId(rest[0]) && parseNumber(rest[1], MAX_TOTAL_METRES, value)) {
        noteBest(rest[0], value);
        return LINE_FACT;
    }
    if (first == "reached" && rest.size() == 3 && isId(rest[0]) && RecordTable::isDateAndTime(rest[1], rest[2])) {
        reach(rest[0], rest[1] + " " + rest[2]);
        return LINE_FACT;
    }
    return LINE_DAMAGED;
}

void GoalBook::mergeGoals(const GoalBook& other)
{
    for (const auto& [id, when] : other.reachedAt)
        reach(id, when);
    for (const auto& [id, value] : other.bests)
        noteBest(id, value);
}

std::string GoalBook::toText() const
{
    std::string text = FILE_HEADER;
    text += "throws " + std::to_string(throwCount) + "\n";
    text += "metres " + formatNumber(metreCount) + "\n";
    for (const auto& [id, value] : bests)
        text += "best " + id + " " + formatNumber(value) + "\n";
    for (const auto& [id, when] : reachedAt)
        text += "reached " + id + " " + when + "\n";
    return text;
}
