#include "game/RecordTable.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

constexpr std::size_t MAX_WHOLE_DIGITS = 7; // 1000000 m and below
constexpr std::size_t MAX_DECIMALS = 6;     // a hand-edited line may carry a few more

const char* const FILE_HEADER =
    "# Grov Rage: the ten longest throws, longest first.\n"
    "# One throw a line: the distance in metres, then the local date and time of the throw.\n"
    "# Lines starting with # are comments. Delete the file to start afresh.\n";

long long hundredths(double metres)
{
    return std::llround(metres * 100.0);
}

bool isDigits(const std::string& text, std::size_t from, std::size_t count)
{
    if (from + count > text.size())
        return false;
    for (std::size_t i = from; i < from + count; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

int number(const std::string& text, std::size_t from, std::size_t count)
{
    return std::atoi(text.substr(from, count).c_str());
}

// Plain digits with an optional fraction: no sign, exponent, "nan" or "inf" gets through.
bool parseMetres(const std::string& text, double& metres)
{
    const std::size_t point = text.find('.');
    const std::size_t whole = point == std::string::npos ? text.size() : point;
    if (whole == 0 || whole > MAX_WHOLE_DIGITS || !isDigits(text, 0, whole))
        return false;
    if (point != std::string::npos) {
        const std::size_t decimals = text.size() - point - 1;
        if (decimals == 0 || decimals > MAX_DECIMALS || !isDigits(text, point + 1, decimals))
            return false;
    }
    metres = std::strtod(text.c_str(), nullptr);
    return std::isfinite(metres) && metres <= RecordTable::MAX_METRES;
}

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// "YYYY-MM-DD" naming a day that exists.
bool isDate(const std::string& text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    if (!isDigits(text, 0, 4) || !isDigits(text, 5, 2) || !isDigits(text, 8, 2))
        return false;
    static const int daysIn[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int year = number(text, 0, 4);
    const int month = number(text, 5, 2);
    const int day = number(text, 8, 2);
    if (month < 1 || month > 12 || day < 1)
        return false;
    const int last = daysIn[month - 1] + (month == 2 && isLeapYear(year) ? 1 : 0);
    return day <= last;
}

// "HH:MM:SS"; a leap second is a real time of day.
bool isTimeOfDay(const std::string& text)
{
    if (text.size() != 8 || text[2] != ':' || text[5] != ':')
        return false;
    if (!isDigits(text, 0, 2) || !isDigits(text, 3, 2) || !isDigits(text, 6, 2))
        return false;
    return number(text, 0, 2) < 24 && number(text, 3, 2) < 60 && number(text, 6, 2) <= 60;
}

} // namespace

bool ThrowRecord::operator==(const ThrowRecord& other) const
{
    return hundredths(metres) == hundredths(other.metres) && when == other.when;
}

int RecordTable::add(const ThrowRecord& record)
{
    if (const int place = placeOf(record))
        return place;
    std::size_t index = 0;
    while (index < records.size() && hundredths(records[index].metres) >= hundredths(record.metres))
        ++index;
    if (index >= SIZE)
        return 0;
    ThrowRecord kept = record;
    kept.metres = rounded(record.metres);
    records.insert(records.begin() + long(index), kept);
    if (records.size() > SIZE)
        records.resize(SIZE);
    return int(index) + 1;
}

void RecordTable::merge(const RecordTable& other)
{
    for (const ThrowRecord& record : other.records)
        add(record);
}

int RecordTable::placeOf(const ThrowRecord& record) const
{
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i] == record)
            return int(i) + 1;
    return 0;
}

std::string RecordTable::toText() const
{
    std::string text = FILE_HEADER;
    for (const ThrowRecord& record : records)
        text += formatLine(record) + "\n";
    return text;
}

RecordTable::LineKind RecordTable::parseLine(const std::string& line, ThrowRecord& record)
{
    std::istringstream words(line);
    std::string first;
    if (!(words >> first) || first[0] == '#')
        return LINE_EMPTY;
    std::string date;
    std::string time;
    std::string extra;
    if (!(words >> date >> time) || (words >> extra))
        return LINE_DAMAGED;
    double metres = 0.0;
    if (!parseMetres(first, metres) || !isDate(date) || !isTimeOfDay(time))
        return LINE_DAMAGED;
    record.metres = rounded(metres);
    record.when = date + " " + time;
    return LINE_RECORD;
}

std::string RecordTable::formatLine(const ThrowRecord& record)
{
    char distance[32];
    std::snprintf(distance, sizeof distance, "%.2f", record.metres);
    return std::string(distance) + " " + record.when;
}

bool RecordTable::isDateAndTime(const std::string& date, const std::string& time)
{
    return isDate(date) && isTimeOfDay(time);
}

bool RecordTable::parseDistance(const std::string& text, double& metres)
{
    return parseMetres(text, metres);
}

double RecordTable::rounded(double metres)
{
    return double(hundredths(metres)) / 100.0;
}

std::string RecordTable::localTimeText(std::time_t time)
{
    std::tm local{};
    char text[32] = "1970-01-01 00:00:00";
    if (localtime_r(&time, &local))
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::string standingText(int place, const RecordTable& table)
{
    if (place == 1)
        return "New record!";
    if (place >= 2 && place <= int(RecordTable::SIZE)) {
        const char* suffix = place == 2 ? "nd" : place == 3 ? "rd" : "th";
        return std::to_string(place) + suffix + " best throw";
    }
    if (table.empty())
        return "";
    char text[64];
    std::snprintf(text, sizeof text, "Best: %.2f m", table.entries().front().metres);
    return text;
}
