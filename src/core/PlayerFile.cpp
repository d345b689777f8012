#include "core/PlayerFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* GAME_FOLDER = "grov-rage";
constexpr mode_t PLAYER_ONLY = 0700;     // new folders: the XDG rules ask for this
constexpr mode_t PLAYER_FILE = 0644;     // written files: readable, as a text file should be
constexpr std::size_t CHUNK = 64 * 1024; // bytes per read
constexpr int LOCK_TRIES = 500;          // of LOCK_PAUSE each: about five seconds in all
constexpr auto LOCK_PAUSE = std::chrono::milliseconds(10);

std::string reason()
{
    return std::strerror(errno);
}

bool isAbsolute(const char* path)
{
    return path && path[0] == '/';
}

std::string directoryOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A rename is only on the disk once the directory holding the name is.
void syncDirectory(const std::string& directory)
{
    const int dir = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return;
    ::fsync(dir);
    ::close(dir);
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

// Opens path for reading when it is a regular file. O_NONBLOCK keeps a fifo from blocking the
// open itself; what stands there is then checked before a byte is read.
int openRegular(const std::string& path, ReadOutcome& outcome)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            outcome.status = READ_MISSING;
        } else {
            outcome.status = errno == EISDIR ? READ_NOT_A_FILE : READ_FAILED;
            outcome.error = reason();
        }
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        outcome.status = READ_NOT_A_FILE;
        ::close(fd);
        return -1;
    }
    // Regular files never block; the flag would only get in the way of plain reads.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

} // namespace

std::string playerDataDirectory(const char* xdgDataHome, const char* home)
{
    if (isAbsolute(xdgDataHome))
        return std::string(xdgDataHome) + "/" + GAME_FOLDER;
    if (isAbsolute(home))
        return std::string(home) + "/.local/share/" + GAME_FOLDER;
    return std::string();
}

std::string playerDataDirectory()
{
    return playerDataDirectory(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

bool makeDirectories(const std::string& path, std::string& error)
{
    if (path.empty()) {
        error = "no directory";
        return false;
    }
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = slash == std::string::npos ? path : path.substr(0, slash);
        if (::mkdir(part.c_str(), PLAYER_ONLY) != 0 && errno != EEXIST) {
            error = part + ": " + reason();
            return false;
        }
        if (slash == std::string::npos)
            break;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = path + " is not a directory";
        return false;
    }
    return true;
}

bool touchFile(const std::string& path, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, PLAYER_FILE);
    if (fd < 0) {
        error = path + ": " + reason();
        return false;
    }
    ::close(fd);
    return true;
}

ReadOutcome readLines(const std::string& path, std::size_t maxLine, std::size_t maxBytes,
                      const std::function<void(const std::string&, bool)>& onLine)
{
    ReadOutcome outcome;
    const int fd = openRegular(path, outcome);
    if (fd < 0)
        return outcome;

    std::vector<char> buffer(CHUNK);
    std::string line;
    bool tooLong = false;
    std::size_t total = 0;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            outcome.status = READ_FAILED;
            outcome.error = reason();
            break;
        }
        if (got == 0)
            break;
        for (ssize_t i = 0; i < got; ++i) {
            const char c = buffer[std::size_t(i)];
            if (c == '\n') {
                onLine(line, tooLong);
                outcome.longLines += tooLong;
                line.clear();
                tooLong = false;
            } else if (line.size() < maxLine) {
                line.push_back(c);
            } else {
                tooLong = true;
            }
        }
        total += std::size_t(got);
        if (total > maxBytes) {
            outcome.status = READ_TOO_LONG;
            line.clear();
            tooLong = false;
            break;
        }
    }
    if (!line.empty() || tooLong) {
        outcome.cutShort = true;
        onLine(line, tooLong);
        outcome.longLines += tooLong;
    }
    ::close(fd);
    return outcome;
}

AtomicFile::AtomicFile(const std::string& path) : target(path)
{
    // mkstemp gives every writer a name of its own, so two games never share a half file.
    std::string pattern = path + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd = ::mkstemp(name.data());
    if (fd < 0) {
        failure = "could not create a file beside " + path + ": " + reason();
        return;
    }
    temporary = name.data();
    ::fchmod(fd, PLAYER_FILE);
}

AtomicFile::~AtomicFile()
{
    if (fd >= 0) {
        ::close(fd);
        ::unlink(temporary.c_str());
    }
}

void AtomicFile::fail(const std::string& what)
{
    failure = what + " " + temporary + ": " + reason();
    ::close(fd);
    ::unlink(temporary.c_str());
    fd = -1;
}

bool AtomicFile::write(const std::string& bytes)
{
    if (fd < 0)
        return false;
    if (!writeAll(fd, bytes.data(), bytes.size())) {
        fail("could not write");
        return false;
    }
    return true;
}

bool AtomicFile::flushAndClose()
{
    if (fd < 0)
        return false;
    if (::fsync(fd) != 0) {
        fail("could not flush");
        return false;
    }
    if (::close(fd) != 0) {
        fd = -1;
        failure = "could not close " + temporary + ": " + reason();
        ::unlink(temporary.c_str());
        return false;
    }
    fd = -1;
    return true;
}

bool AtomicFile::commit()
{
    if (!flushAndClose())
        return false;
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        failure = "could not replace " + target + ": " + reason();
        ::unlink(temporary.c_str());
        return false;
    }
    syncDirectory(directoryOf(target));
    return true;
}

bool AtomicFile::commitAsNew()
{
    if (!flushAndClose())
        return false;
    // A hard link is made only where the name is free, so nothing that appeared since the
    // name was chosen is overwritten. Folders that take no links (FAT on a memory stick) get
    // a plain rename after one more look.
    int linked = ::link(temporary.c_str(), target.c_str());
    if (linked != 0 && errno != EEXIST) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) == 0)
            errno = EEXIST;
        else
            linked = ::rename(temporary.c_str(), target.c_str());
    }
    if (linked != 0) {
        taken = errno == EEXIST;
        failure = "could not create " + target + ": " + reason();
        ::unlink(temporary.c_str());
        return false;
    }
    ::unlink(temporary.c_str());
    syncDirectory(directoryOf(target));
    return true;
}

bool replaceFile(const std::string& path, const std::string& contents, std::string& error)
{
    AtomicFile file(path);
    if (file.write(contents) && file.commit())
        return true;
    error = file.error();
    return false;
}

bool copyFile(const std::string& from, const std::string& to, std::size_t maxBytes, std::string& error)
{
    ReadOutcome outcome;
    const int fd = openRegular(from, outcome);
    if (fd < 0) {
        error = from + " cannot be read" + (outcome.error.empty() ? "" : ": " + outcome.error);
        return false;
    }
    AtomicFile copy(to);
    std::vector<char> buffer(CHUNK);
    std::size_t total = 0;
    bool good = copy.isOpen();
    while (good && total < maxBytes) {
        const ssize_t got = ::read(fd, buffer.data(), std::min(buffer.size(), maxBytes - total));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = "could not read " + from + ": " + reason();
            ::close(fd);
            return false;
        }
        if (got == 0)
            break;
        good = copy.write(std::string(buffer.data(), std::size_t(got)));
        total += std::size_t(got);
    }
    ::close(fd);
    if (good && copy.commit())
        return true;
    error = copy.error();
    return false;
}

FileLock::FileLock(const std::string& path)
{
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, PLAYER_FILE);
    if (fd < 0)
        return;
    // Not a blocking wait: a copy of the game stopped in a debugger while holding the lock
    // must not freeze this one for good. A save takes milliseconds, a few on a busy disk.
    for (int attempt = 0; attempt < LOCK_TRIES && !held; ++attempt) {
        held = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (!held && errno != EWOULDBLOCK && errno != EINTR)
            break;
        if (!held)
            std::this_thread::sleep_for(LOCK_PAUSE);
    }
}

FileLock::~FileLock()
{
    if (fd < 0)
        return;
    if (held)
        ::flock(fd, LOCK_UN);
    ::close(fd);
}

bool holdsNothing(const std::string& directory)
{
    DIR* folder = opendir(directory.c_str());
    if (!folder)
        return errno == ENOENT || errno == ENOTDIR;
    bool empty = true;
    while (const dirent* entry = readdir(folder))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            empty = false;
            break;
        }
    closedir(folder);
    return empty;
}
