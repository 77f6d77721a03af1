#pragma once
// The strip as a native Wayland game shows it: a full-screen window (xdg-shell) with the
// app id Wine's Wayland driver gives the game ("emberfall.exe"), a dusky scene and the
// strip at its top-left, drawn into shared-memory buffers.
#include "StripCanvas.h"

#include <wayland-client.h>

#include <memory>
#include <string>
#include <vector>

struct xdg_wm_base;
struct xdg_surface;
struct xdg_toplevel;

namespace et::strip {

class WaylandStripWindow : public StripCanvas {
  public:
    // `displayName` as in $WAYLAND_DISPLAY; empty: $WAYLAND_DISPLAY.
    WaylandStripWindow(const std::string& displayName, double cellWidth);
    ~WaylandStripWindow() override;
    WaylandStripWindow(const WaylandStripWindow&) = delete;
    WaylandStripWindow& operator=(const WaylandStripWindow&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    void setCellWidth(double pixels) override;
    void show(const Cells& cells) override;
    bool hold(int ms) override;
    bool waitForInput(int fd) override;
    void setShown(bool shown) override;

    struct Buffer {
        wl_buffer* buffer = nullptr;
        uint8_t* data = nullptr;
        size_t size = 0;
        int width = 0, height = 0;
        bool busy = false;
        // The scene is painted once; after that only the strip's corner is.
        bool scenePainted = false;
    };
    // Set by the listeners.
    struct Configure {
        int width = 0, height = 0;
        bool received = false;
    };

  private:
    bool alive() const;
    bool dispatch(int timeoutMs, int extraFd = -1, bool* extraReady = nullptr);
    bool mapSurface();
    Buffer* freeBuffer();
    void paint(Buffer& buffer);
    void present();

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_compositor* compositor_ = nullptr;
    wl_shm* shm_ = nullptr;
    xdg_wm_base* wmBase_ = nullptr;
    wl_surface* surface_ = nullptr;
    xdg_surface* xdgSurface_ = nullptr;
    xdg_toplevel* toplevel_ = nullptr;
    std::vector<std::unique_ptr<Buffer>> buffers_;
    Configure configure_;
    int width_ = 0, height_ = 0;
    bool shown_ = true;
    bool framePending_ = false;
    double cellWidth_;
    int clearWidth_ = 0, clearHeight_ = 0;
    Cells cells_;
    std::string error_;

    friend struct PainterListeners;
};

} // namespace et::strip
