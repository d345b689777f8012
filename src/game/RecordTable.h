#pragma once
// The ten longest throws, longest first, and their lines in records.txt. The file is plain
// text a person can read and edit:
//
//   # comment lines start with '#'; blank lines are allowed
//   412.37 2025-03-14 18:02:51
//
// one throw a line: the distance in metres (up to two decimals are kept), a space, the local
// date and a space and the local time of the throw. Any other line is damage.

#include <ctime>
#include <string>
#include <vector>

struct ThrowRecord {
    double metres = 0.0; // rounded to the hundredth, as the game shows distances
    std::string when;    // local time of the throw, "YYYY-MM-DD HH:MM:SS"

    // The same distance to the hundredth and the same second: the same throw.
    bool operator==(const ThrowRecord& other) const;
    bool operator!=(const ThrowRecord& other) const { return !(*this == other); }
};

class RecordTable {
public:
    static constexpr std::size_t SIZE = 10;
    // Metres; beyond any throw the game can make, so a larger number is damage.
    static constexpr double MAX_METRES = 1.0e6;

    enum LineKind {
        LINE_RECORD,  // a throw
        LINE_EMPTY,   // blank or a comment
        LINE_DAMAGED, // anything else
    };

    // Puts the throw in its place, after those of equal distance already there (the older
    // throw keeps the higher place), and keeps the longest ten. Its place from 1, or 0 when it
    // is not among the ten. A throw already in the table is not added again.
    int add(const ThrowRecord& record);
    // Adds every throw of other that this table lacks.
    void merge(const RecordTable& other);
    // The throw's place from 1, or 0 when it is not in the table.
    int placeOf(const ThrowRecord& record) const;

    const std::vector<ThrowRecord>& entries() const { return records; }
    bool empty() const { return records.empty(); }
    // The whole file: a header that explains the format, then one line per throw.
    std::string toText() const;

    static LineKind parseLine(const std::string& line, ThrowRecord& record);
    static std::string formatLine(const ThrowRecord& record);
    // To the hundredth, as shown and stored.
    static double rounded(double metres);
    // "YYYY-MM-DD" and "HH:MM:SS" naming a day and a time of day that exist.
    static bool isDateAndTime(const std::string& date, const std::string& time);
    // A distance as the file writes it: plain digits, an optional fraction, at most MAX_METRES.
    static bool parseDistance(const std::string& text, double& metres);
    // "YYYY-MM-DD HH:MM:SS" in local time.
    static std::string localTimeText(std::time_t time);

private:
    std::vector<ThrowRecord> records; // longest first, at most SIZE
};

// The game-over line for a throw at place in table: "New record!" for the first place,
// "3rd best throw" within the ten, otherwise "Best: 412.37 m".
std::string standingText(int place, const RecordTable& table);
