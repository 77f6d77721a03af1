#pragma once
// The main display as the X server shows it: GetImage of the strip on the root window,
// RandR for the monitors. Each instance keeps its own connection, opened on first use by
// the thread that uses it; when the server goes away it reports no displays and connects
// again once the server is back.
#include "ScreenSource.h"
#include "X11Display.h"

#include <string>

namespace et {

class X11ScreenSource : public ScreenSource {
  public:
    // `displayName` as in $DISPLAY; empty means $DISPLAY.
    explicit X11ScreenSource(std::string displayName = {});
    ~X11ScreenSource() override;
    X11ScreenSource(const X11ScreenSource&) = delete;
    X11ScreenSource& operator=(const X11ScreenSource&) = delete;

    int activeDisplayCount() override;
    bool capture(const Rect& rect, ScreenImage& image) override;
    // The root window is addressed in pixels: one pixel per point.
    double mainDisplayScaleFactor() override { return 1.0; }

  private:
    bool connected();
    void disconnect();
    void pollMonitorChanges();

    std::string displayName_;
    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    x11::PixelFormat format_;
    x11::Monitors monitors_;
    bool watchingMonitors_ = false;
    uint8_t randrFirstEvent_ = 0;
};

} // namespace et
