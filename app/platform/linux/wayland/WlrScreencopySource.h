#pragma once
// The screen as a wlroots compositor (sway, Hyprland, river, labwc, wayfire ...) shows it,
// read through its screencopy protocol: only the strip's rectangle at the top-left of the
// main output is copied, into a shared-memory buffer kept from frame to frame, when the
// capture thread asks. No dialog and no permission: any client of the compositor may.
//
// Each instance keeps its own connection, opened on first use by the thread that uses it;
// when the compositor goes away it reports no displays and connects again later.
#include "OutputTransform.h"
#include "ScreenSource.h"
#include "WaylandClient.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct zwlr_screencopy_manager_v1;
struct zwlr_screencopy_frame_v1;

namespace et {

class WlrScreencopySource : public ScreenSource {
  public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;
    // `displayName` as in $WAYLAND_DISPLAY; empty means $WAYLAND_DISPLAY.
    explicit WlrScreencopySource(std::string displayName = {}, Now now = Clock::now);
    ~WlrScreencopySource() override;
    WlrScreencopySource(const WlrScreencopySource&) = delete;
    WlrScreencopySource& operator=(const WlrScreencopySource&) = delete;

    // Whether the compositor is there and offers screencopy (connecting if need be).
    bool offered();
    int activeDisplayCount() override;
    // `rect` is in the main output's pixels, as X11 addresses the screen, cut to the output;
    // on a scaled output the compositor is asked for the points that hold them.
    bool capture(const Rect& rect, ScreenImage& image) override;
    // One pixel per point, as on X11: calibration and capture both count pixels.
    double mainDisplayScaleFactor() override;

    struct Output {
        uint32_t name = 0;
        struct wl_output* output = nullptr;
        int32_t x = 0, y = 0;
        int32_t modeWidth = 0, modeHeight = 0;
        int32_t transform = 0;
        int32_t scale = 1;
        // The output's size in the compositor's logical coordinates.
        int logicalWidth() const;
        int logicalHeight() const;
    };

    // What one frame's copy went through, kept by the listeners.
    struct Frame {
        uint32_t format = 0, width = 0, height = 0, stride = 0;
        bool offeredShm = false;
        bool copying = false;
        bool ready = false;
        bool failed = false;
        bool yInvert = false;
    };

  private:
    bool connected();
    void disconnect();
    void addOutput(const wl::Global& global);
    const Output* mainOutput() const;
    bool copyFrame();
    bool shapeBuffer();
    void releaseBuffer();
    void decodeRow(ScreenImage& image) const;

    wl::Client client_;
    Now now_;
    Clock::time_point retryAt_{};
    zwlr_screencopy_manager_v1* manager_ = nullptr;
    uint32_t managerVersion_ = 0;
    struct wl_shm* shm_ = nullptr;
    std::vector<std::unique_ptr<Output>> outputs_;

    zwlr_screencopy_frame_v1* frameObject_ = nullptr;
    Frame frame_;
    // What the current frame copies, in logical points, and the pixels asked for.
    struct Span {
        int left = 0, top = 0, width = 0;
    } region_, pixels_;
    // The output's shape when the copy was asked, and the part of its buffer copied.
    int transform_ = 0, modeWidth_ = 0, modeHeight_ = 0;
    wl::Box box_;
    struct Buffer {
        int fd = -1;
        uint8_t* data = nullptr;
        size_t size = 0;
        struct wl_shm_pool* pool = nullptr;
        struct wl_buffer* buffer = nullptr;
        uint32_t format = 0, width = 0, height = 0, stride = 0;
    } buffer_;

    friend struct ScreencopyListeners;
};

} // namespace et
