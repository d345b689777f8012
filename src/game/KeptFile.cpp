#include "game/KeptFile.h"

#include "core/PlayerFile.h"

#include <iostream>

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
        sayLine(file.label + ": " + path + " is not a file; it is left as it is" + file.runOnly);
        return KEPT_UNTOUCHED;
    case READ_FAILED:
        sayLine(file.label + ": could not read " + path + " (" + outcome.error + "); it is left as it is"
                + file.runOnly);
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
        sayLine(file.label + ": " + path + " is damaged and no copy of it could be kept (" + error
                + "); it is left as it is" + file.runOnly);
        return KEPT_UNTOUCHED;
    }
    sayLine(file.label + ": " + path + " is damaged: " + std::to_string(damaged) + " bad line(s) skipped, "
            + std::to_string(kept) + " good one(s) kept; the damaged file is kept as " + copy);
    return KEPT_REPAIRED;
}

KeptFolder openKeptFolder(const std::string& folder, const std::string& lockFile, const std::string& label,
                          const std::string& runOnly)
{
    if (folder.empty()) {
        sayLine(label + ": there is no place for player files (neither XDG_DATA_HOME nor HOME is set)" + runOnly);
        return FOLDER_UNUSABLE;
    }
    std::string error;
    if (!makeDirectories(folder, error)) {
        sayLine(label + ": cannot use the folder " + folder + " (" + error + ")" + runOnly);
        return FOLDER_UNUSABLE;
    }
    if (!touchFile(folder + "/" + lockFile, error)) {
        sayLine(label + ": cannot write in the folder " + folder + " (" + error + ")" + runOnly);
        return FOLDER_READ_ONLY;
    }
    return FOLDER_WRITABLE;
}

void sayLine(const std::string& line)
{
    std::cout << line << std::endl;
}
