#include "ScreenReader.h"

namespace et {

ScreenReader::ScreenReader(ScreenSource& source, const ScanGeometry& geometry, MessageQueue& queue,
                           MainThread& mainThread, Log& log, Pause pause)
    : source_(source), geometry_(geometry), queue_(queue), mainThread_(mainThread), log_(log),
      pause_(std::move(pause)) {
    if (!pause_) pause_ = [](std::chrono::duration<double> d) { std::this_thread::sleep_for(d); };
}

ScreenReader::~ScreenReader() {
    keepTheScannerRunning = false;
    if (activeScannerThread_.joinable()) activeScannerThread_.join();
}

void ScreenReader::start() {
    std::lock_guard lock(stopMutex_);
    if (activeScannerThread_.joinable() || loopEnded_) return;
    activeScannerThread_ = std::thread([this] { recordColorsThread(); });
}

void ScreenReader::stop(std::function<void()> whenStopped) {
    bool postNow = false;
    {
        std::lock_guard lock(stopMutex_);
        postNow = loopEnded_ || !activeScannerThread_.joinable();
        if (!postNow) whenStopped_ = std::move(whenStopped);
        keepTheScannerRunning = false;
    }
    if (postNow && whenStopped) mainThread_.post(std::move(whenStopped));
}

void ScreenReader::recordColorsThread() {
    do {
        if (!suspendScreenReads) recordColors();
        // Suspended passes keep the same rhythm, so waking resumes within one pass.
        pause_(kPassPause);
    } while (keepTheScannerRunning);

    std::function<void()> whenStopped;
    {
        std::lock_guard lock(stopMutex_);
        loopEnded_ = true;
        whenStopped = std::move(whenStopped_);
    }
    if (whenStopped) mainThread_.post(std::move(whenStopped));
}

void ScreenReader::recordColors() {
    if (source_.activeDisplayCount() <= 0) {
        if (!showedDisplayErrorMsg_) {
            showedDisplayErrorMsg_ = true;
            Log& log = log_;
            mainThread_.post([&log] { log.appendLine("recordColors: No displays available."); });
        }
        return;
    }
    showedDisplayErrorMsg_ = false;

    const auto snapshot = geometry_.snapshot();
    if (!snapshot->myScanRect) return;
    if (!source_.capture(*snapshot->myScanRect, image_)) return;

    PixelDecoder::Frame colors;
    for (size_t i = 0; i < colors.size(); ++i)
        // A column the capture lacks reads as dark, so a short image yields no message.
        colors[i] = image_.colorAt(snapshot->pixelOffsets[i]).value_or(Color::black());
    if (auto message = decoder_.decode(colors)) queueMessage(*message);
}

} // namespace et
