#pragma once
// Turns captured frames into PNG files on a worker thread of its own, so a slow or full disk
// never holds up a frame. Results come back through poll, on the caller's thread.

#include "render/FrameCapture.h"

#include <condition_variable>
#include <cstddef>
#include <ctime>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

struct ScreenshotResult {
    bool saved = false;
    std::string path;   // the file written; on failure the file or folder it failed at
    std::string error;  // what went wrong, naming that file or folder, for the console
    std::string reason; // the short cause alone, for the HUD
};

class ScreenshotWriter {
public:
    ScreenshotWriter() = default;
    // Finishes every frame still waiting, then stops the worker.
    ~ScreenshotWriter();
    ScreenshotWriter(const ScreenshotWriter&) = delete;
    ScreenshotWriter& operator=(const ScreenshotWriter&) = delete;

    // Queues frame for a new file in directory (created when missing), named for localTime.
    // False, with nothing queued, when too many frames are still waiting.
    bool save(CapturedFrame frame, const std::string& directory, const std::tm& localTime);
    // Hands over one finished result; false when none is ready.
    bool poll(ScreenshotResult& result);
    // Waits until every queued frame is written.
    void finish();

private:
    struct Job {
        CapturedFrame frame;
        std::string directory;
        std::tm localTime;
    };

    void work();

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<Job> jobs;
    std::deque<ScreenshotResult> results;
    bool busy = false;
    bool stopping = false;
    std::thread worker;
};

// Encodes the frame as PNG and writes it under a free name in directory: what save does on
// the worker, for callers that want the result at once.
ScreenshotResult writeScreenshot(const CapturedFrame& frame, const std::string& directory, const std::tm& localTime);
