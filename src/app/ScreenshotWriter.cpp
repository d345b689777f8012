#include "app/ScreenshotWriter.h"

#include "core/PlayerFile.h"
#include "core/ScreenshotPath.h"

#include <FreeImage.h>

#include <system_error>
#include <utility>

namespace {

// Each waiting frame holds its pixels (about 2.4 MB at 1024 x 768); a player hammering F12 at
// a stalled disk gets a message rather than a game that eats memory.
constexpr std::size_t MAX_WAITING = 8;
// Names taken by another program between the choice and the write: try the next one.
constexpr int NAME_TRIES = 4;

ScreenshotResult failure(const std::string& path, const std::string& error)
{
    ScreenshotResult result;
    result.path = path;
    result.error = error;
    const std::size_t colon = error.rfind(": ");
    result.reason = colon == std::string::npos ? error : error.substr(colon + 2);
    return result;
}

// The PNG's bytes, or empty when the image library cannot make them.
std::string encodePng(const CapturedFrame& frame)
{
    std::string png;
    // The captured rows are bottom-up, as the image library keeps them too.
    FIBITMAP* image =
        FreeImage_ConvertFromRawBits(const_cast<BYTE*>(frame.pixels.data()), frame.width, frame.height, frame.width * 3,
                                     24, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK, FALSE);
    if (!image)
        return png;
    if (FIMEMORY* memory = FreeImage_OpenMemory()) {
        BYTE* bytes = nullptr;
        DWORD size = 0;
        if (FreeImage_SaveToMemory(FIF_PNG, image, memory, PNG_DEFAULT)
            && FreeImage_AcquireMemory(memory, &bytes, &size))
            png.assign(reinterpret_cast<const char*>(bytes), size);
        FreeImage_CloseMemory(memory);
    }
    FreeImage_Unload(image);
    return png;
}

} // namespace

ScreenshotResult writeScreenshot(const CapturedFrame& frame, const std::string& directory, const std::tm& localTime)
{
    if (directory.empty())
        return failure(directory, "no folder for screenshots (neither XDG_PICTURES_DIR nor HOME is set)");
    if (frame.width <= 0 || frame.height <= 0
        || frame.pixels.size() != static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height) * 3)
        return failure(directory, "the frame could not be read back for " + directory);
    std::string error;
    if (!makeDirectories(directory, error))
        return failure(directory, error);

    const std::string png = encodePng(frame);
    if (png.empty())
        return failure(directory, "the frame could not be encoded as PNG for " + directory);

    for (int attempt = 0; attempt < NAME_TRIES; ++attempt) {
        const std::string path = freeScreenshotPath(directory, localTime);
        if (path.empty())
            return failure(directory, "every screenshot name for this second is taken in " + directory);
        AtomicFile file(path);
        if (file.write(png) && file.commitAsNew()) {
            ScreenshotResult result;
            result.saved = true;
            result.path = path;
            return result;
        }
        if (!file.nameTaken())
            return failure(path, file.error().empty() ? path + ": not written" : file.error());
    }
    return failure(directory, "the screenshot names kept being taken in " + directory);
}

ScreenshotWriter::~ScreenshotWriter()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    if (worker.joinable())
        worker.join();
}

bool ScreenshotWriter::save(CapturedFrame frame, const std::string& directory, const std::tm& localTime)
{
    std::unique_lock<std::mutex> lock(mutex);
    if (jobs.size() + (busy ? 1 : 0) >= MAX_WAITING)
        return false;
    if (!worker.joinable()) {
        try {
            worker = std::thread(&ScreenshotWriter::work, this);
        } catch (const std::system_error&) {
            // No thread to be had: this one frame is written here and now instead.
            lock.unlock();
            ScreenshotResult result = writeScreenshot(frame, directory, localTime);
            lock.lock();
            results.push_back(std::move(result));
            return true;
        }
    }
    jobs.push_back(Job{std::move(frame), directory, localTime});
    lock.unlock();
    wake.notify_one();
    return true;
}

bool ScreenshotWriter::poll(ScreenshotResult& result)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (results.empty())
        return false;
    result = std::move(results.front());
    results.pop_front();
    return true;
}

void ScreenshotWriter::finish()
{
    std::unique_lock<std::mutex> lock(mutex);
    idle.wait(lock, [this] { return jobs.empty() && !busy; });
}

void ScreenshotWriter::work()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        // Frames still waiting are written before the worker stops, so none is lost at exit.
        wake.wait(lock, [this] { return stopping || !jobs.empty(); });
        if (jobs.empty())
            return;
        Job job = std::move(jobs.front());
        jobs.pop_front();
        busy = true;
        lock.unlock();
        ScreenshotResult result = writeScreenshot(job.frame, job.directory, job.localTime);
        lock.lock();
        results.push_back(std::move(result));
        busy = false;
        if (jobs.empty())
            idle.notify_all();
    }
}
