#include "game/KeptFile.h"

#include "core/PlayerFile.h"

#include <iostream>

namespace {

void say(const std::string& line)
{
    std::cout << line << std::endl;
}

} // namespace

KeptRead readKeptFile(const KeptFile& file, const std::function<LineVerdict(const std::string&)>& take)
{
    std::size_t damaged = 0;
    std::size_t kept = 0;
    const ReadOutcome outcome =
        readLines(file.path, file.maxLine, file.maxBytes, [&](const std::string& line, bool tooLong) {
            const LineVerdict verdict = tooLong ? LINE_BAD : take(line);
            damaged += verdict == LINE_BAD;
            kept += verdict == LINE_KEPT;
        });
    const std::string& path = file.path;
    switch (outcome.status) {
    case READ_MISSING:
        return KEPT_WHOLE;
    case READ_NOT_A_FILE:
        say(file.label + ": " + path + " is not a file; it is left as it is" + file.runOnly);
        return KEPT_UNTOUCHED;
    case READ_FAILED:
        say(file.label + ": could not read " + path + " (" + outcome.error + "); it is left as it is" + file.runOnly);
        return KEPT_UNTOUCHED;
    case READ_TOO_LONG:
        ++damaged;
        break;
    case READ_OK:
        break;
    }
    if (damaged == 0)
        return KEPT_WHOLE;

    const std::string copy = path + DAMAGED_COPY_SUFFIX;
    std::string error;
    if (!copyFile(path, copy, file.maxBytes, error)) {
        say(file.label + ": " + path + " is damaged and no copy of it could be kept (" + error
            + "); it is left as it is" + file.runOnly);
        return KEPT_UNTOUCHED;
    }
    say(file.label + ": " + path + " is damaged: " + std::to_string(damaged) + " bad line(s) skipped, "
        + std::to_string(kept) + " good one(s) kept; the damaged file is kept as " + copy);
    return KEPT_REPAIRED;
}
