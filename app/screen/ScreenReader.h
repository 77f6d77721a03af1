#pragma once
// The capture thread: about twenty times a second it captures the strip, samples one color
// per cell, decodes the frame and queues accepted messages.
//
// Shared with the main thread: the two atomic flags, the geometry snapshot and the queue.
// Everything else here belongs to the capture thread once start() has run.
#include "Log.h"
#include "MainThread.h"
#include "MessageQueue.h"
#include "PixelDecoder.h"
#include "ScanGeometry.h"
#include "ScreenSource.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

namespace et {

class ScreenReader {
  public:
    using Pause = std::function<void(std::chrono::duration<double>)>;

    // `source` is used on the capture thread only. `mainThread` and `log` must outlive the
    // reader. `pause` replaces the thread's sleep in tests.
    ScreenReader(ScreenSource& source, const ScanGeometry& geometry, MessageQueue& queue,
                 MainThread& mainThread, Log& log, Pause pause = {});
    // Stops the loop and waits for the pass in progress.
    ~ScreenReader();
    ScreenReader(const ScreenReader&) = delete;
    ScreenReader& operator=(const ScreenReader&) = delete;

    // Starts activeScannerThread once; later calls do nothing.
    void start();
    // Quit handshake: clears keepTheScannerRunning; after the loop's last pass, including
    // its pause, `whenStopped` is posted to the main thread. Posted at once when the
    // thread was never started or has already finished.
    void stop(std::function<void()> whenStopped);

    // Entry of the capture thread; returns when the loop ends.
    void recordColorsThread();
    // One frame: capture, sample, decode, queue.
    void recordColors();
    void queueMessage(const std::string& message) { queue_.enqueue(message); }

    std::atomic<bool> keepTheScannerRunning{true};
    std::atomic<bool> suspendScreenReads{false};

    static constexpr std::chrono::duration<double> kPassPause{0.05};

  private:
    ScreenSource& source_;
    const ScanGeometry& geometry_;
    MessageQueue& queue_;
    MainThread& mainThread_;
    Log& log_;
    Pause pause_;

    // Capture thread only.
    PixelDecoder decoder_;
    ScreenImage image_;
    bool showedDisplayErrorMsg_ = false;

    std::mutex stopMutex_;
    std::function<void()> whenStopped_;
    bool loopEnded_ = false;
    std::thread activeScannerThread_;
};

} // namespace et
