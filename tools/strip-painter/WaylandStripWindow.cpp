#include "WaylandStripWindow.h"

#include "Game.h"
#include "xdg-shell-client-protocol.h"

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

namespace et::strip {

namespace {
int edge(int cell, double cellWidth) {
    return static_cast<int>(std::lround(cell * cellWidth));
}

uint32_t pixel(double red, double green, double blue) {
    const auto byte = [](double c) {
        return static_cast<uint32_t>(std::lround(std::clamp(c, 0.0, 1.0) * 255.0));
    };
    return 0xff000000u | byte(red) << 16 | byte(green) << 8 | byte(blue);
}

// A dusky scene, as in the X11 game window: nothing right of the strip passes for a dark cell.
const uint32_t kScene = pixel(0.23, 0.35, 0.47);
// How long a drawn frame may take to be shown before the painter goes on regardless (a
// hidden window is never drawn).
constexpr int kFrameWaitMs = 1000;
} // namespace

struct PainterListeners {
    using W = WaylandStripWindow;
    static void global(void* data, wl_registry* registry, uint32_t name, const char* interface,
                       uint32_t version) {
        auto* w = static_cast<W*>(data);
        if (std::strcmp(interface, wl_compositor_interface.name) == 0)
            w->compositor_ = static_cast<wl_compositor*>(
                wl_registry_bind(registry, name, &wl_compositor_interface, 1));
        else if (std::strcmp(interface, wl_shm_interface.name) == 0)
            w->shm_ = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
        else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0)
            w->wmBase_ = static_cast<xdg_wm_base*>(
                wl_registry_bind(registry, name, &xdg_wm_base_interface, std::min(version, 2u)));
    }
    static void globalRemove(void*, wl_registry*, uint32_t) {}
    static constexpr wl_registry_listener registry = {global, globalRemove};

    static void ping(void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }
    static constexpr xdg_wm_base_listener wmBase = {ping};

    static void surfaceConfigure(void* data, xdg_surface* surface, uint32_t serial) {
        xdg_surface_ack_configure(surface, serial);
        static_cast<W*>(data)->configure_.received = true;
    }
    static constexpr xdg_surface_listener surface = {surfaceConfigure};

    static void toplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height,
                                  wl_array*) {
        auto* w = static_cast<W*>(data);
        w->configure_.width = width;
        w->configure_.height = height;
    }
    static void close(void*, xdg_toplevel*) {}
    static constexpr xdg_toplevel_listener toplevel = {toplevelConfigure, close, nullptr, nullptr};

    static void release(void* data, wl_buffer*) { static_cast<W::Buffer*>(data)->busy = false; }
    static constexpr wl_buffer_listener buffer = {release};

    static void frameDone(void* data, wl_callback* callback, uint32_t) {
        static_cast<W*>(data)->framePending_ = false;
        wl_callback_destroy(callback);
    }
    static constexpr wl_callback_listener frame = {frameDone};
};

WaylandStripWindow::WaylandStripWindow(const std::string& displayName, double cellWidth)
    : cellWidth_(cellWidth), cells_(blankFrame()) {
    display_ = wl_display_connect(displayName.empty() ? nullptr : displayName.c_str());
    if (!display_) {
        error_ = "cannot connect to the Wayland compositor";
        return;
    }
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &PainterListeners::registry, this);
    wl_display_roundtrip(display_);
    if (!compositor_ || !shm_ || !wmBase_) {
        error_ = "the compositor offers no xdg-shell or shared memory";
        return;
    }
    xdg_wm_base_add_listener(wmBase_, &PainterListeners::wmBase, this);
    surface_ = wl_compositor_create_surface(compositor_);
    if (!mapSurface()) {
        error_ = "the compositor did not configure the window";
        return;
    }
    show(cells_);
}

WaylandStripWindow::~WaylandStripWindow() {
    for (const auto& b : buffers_) {
        wl_buffer_destroy(b->buffer);
        munmap(b->data, b->size);
    }
    if (toplevel_) xdg_toplevel_destroy(toplevel_);
    if (xdgSurface_) xdg_surface_destroy(xdgSurface_);
    if (surface_) wl_surface_destroy(surface_);
    if (display_) wl_display_disconnect(display_);
}

bool WaylandStripWindow::alive() const {
    return display_ && wl_display_get_error(display_) == 0;
}

bool WaylandStripWindow::mapSurface() {
    // A window is shown by giving the surface its role afresh and waiting for its size.
    xdgSurface_ = xdg_wm_base_get_xdg_surface(wmBase_, surface_);
    xdg_surface_add_listener(xdgSurface_, &PainterListeners::surface, this);
    toplevel_ = xdg_surface_get_toplevel(xdgSurface_);
    xdg_toplevel_add_listener(toplevel_, &PainterListeners::toplevel, this);
    xdg_toplevel_set_app_id(toplevel_, kGameWindowClass);
    xdg_toplevel_set_title(toplevel_, "Emberfall");
    xdg_toplevel_set_fullscreen(toplevel_, nullptr);
    configure_ = {};
    wl_surface_commit(surface_);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!configure_.received && alive() && std::chrono::steady_clock::now() < until)
        dispatch(100);
    return configure_.received;
}

bool WaylandStripWindow::dispatch(int timeoutMs, int extraFd, bool* extraReady) {
    if (!alive()) return false;
    while (wl_display_prepare_read(display_) != 0)
        wl_display_dispatch_pending(display_);
    wl_display_flush(display_);
    pollfd fds[2] = {{wl_display_get_fd(display_), POLLIN, 0}, {extraFd, POLLIN, 0}};
    const int ready = poll(fds, extraFd >= 0 ? 2 : 1, timeoutMs);
    if (ready > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)))
        wl_display_read_events(display_);
    else
        wl_display_cancel_read(display_);
    wl_display_dispatch_pending(display_);
    if (extraReady) *extraReady = extraFd >= 0 && ready > 0 && fds[1].revents;
    return alive();
}

WaylandStripWindow::Buffer* WaylandStripWindow::freeBuffer() {
    // A new output size (resized or rotated) makes the old buffers useless.
    std::erase_if(buffers_, [this](const auto& b) {
        if (b->busy || (b->width == width_ && b->height == height_)) return false;
        wl_buffer_destroy(b->buffer);
        munmap(b->data, b->size);
        return true;
    });
    for (const auto& b : buffers_)
        if (!b->busy && b->width == width_ && b->height == height_) return b.get();
    const int stride = width_ * 4;
    const size_t size = static_cast<size_t>(stride) * height_;
    const int fd = memfd_create("talon-strip", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(size)) != 0) {
        if (fd >= 0) ::close(fd);
        return nullptr;
    }
    void* data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED) {
        ::close(fd);
        return nullptr;
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm_, fd, static_cast<int32_t>(size));
    auto buffer = std::make_unique<Buffer>();
    buffer->buffer =
        wl_shm_pool_create_buffer(pool, 0, width_, height_, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    ::close(fd);
    buffer->data = static_cast<uint8_t*>(data);
    buffer->size = size;
    buffer->width = width_;
    buffer->height = height_;
    wl_buffer_add_listener(buffer->buffer, &PainterListeners::buffer, buffer.get());
    buffers_.push_back(std::move(buffer));
    return buffers_.back().get();
}

void WaylandStripWindow::paint(Buffer& b) {
    auto* pixels = reinterpret_cast<uint32_t*>(b.data);
    const auto fill = [&](int x0, int y0, int x1, int y1, uint32_t color) {
        x1 = std::min(x1, b.width);
        y1 = std::min(y1, b.height);
        for (int y = std::max(0, y0); y < y1; ++y)
            std::fill(pixels + static_cast<size_t>(y) * b.width + std::max(0, x0),
                      pixels + static_cast<size_t>(y) * b.width + std::max(x1, std::max(0, x0)),
                      color);
    };
    const int stripWidth = edge(11, cellWidth_);
    const int stripHeight = static_cast<int>(std::max(2.0, std::ceil(cellWidth_)));
    clearWidth_ = std::max(clearWidth_, stripWidth);
    clearHeight_ = std::max(clearHeight_, stripHeight);
    if (!b.scenePainted) {
        fill(0, 0, b.width, b.height, kScene);
        b.scenePainted = true;
    } else {
        fill(0, 0, clearWidth_, clearHeight_, kScene);
    }
    for (int i = 0; i < 11; ++i) {
        const Color& c = cells_[static_cast<size_t>(i)];
        fill(edge(i, cellWidth_), 0, edge(i + 1, cellWidth_), stripHeight,
             pixel(c.red, c.green, c.blue));
    }
    wl_surface_damage(surface_, 0, 0, clearWidth_, clearHeight_);
}

void WaylandStripWindow::present() {
    if (!shown_ || !alive()) return;
    if (configure_.width > 0 && configure_.height > 0) {
        width_ = configure_.width;
        height_ = configure_.height;
    }
    // Not told a size: the compositor leaves it to the window.
    if (width_ <= 0 || height_ <= 0) {
        width_ = 1280;
        height_ = 800;
    }
    Buffer* buffer = freeBuffer();
    if (!buffer) return;
    const bool fresh = !buffer->scenePainted;
    paint(*buffer);
    if (fresh) wl_surface_damage(surface_, 0, 0, width_, height_);
    buffer->busy = true;
    wl_surface_attach(surface_, buffer->buffer, 0, 0);
    framePending_ = true;
    wl_callback_add_listener(wl_surface_frame(surface_), &PainterListeners::frame, this);
    wl_surface_commit(surface_);
    // The frame is on screen before its hold time starts.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kFrameWaitMs);
    while (framePending_ && alive() && std::chrono::steady_clock::now() < until)
        dispatch(20);
}

void WaylandStripWindow::setCellWidth(double pixels) {
    cellWidth_ = pixels;
    show(cells_);
}

void WaylandStripWindow::show(const Cells& cells) {
    cells_ = cells;
    present();
}

bool WaylandStripWindow::hold(int ms) {
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const int seen = configure_.width * 65536 + configure_.height;
        if (!dispatch(0)) return false;
        // A new size (the output resized or rotated) is painted at once.
        if (configure_.width * 65536 + configure_.height != seen) present();
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) return true;
        if (!dispatch(static_cast<int>(std::min<long>(left, 50)))) return false;
        if (configure_.width * 65536 + configure_.height != seen) present();
    }
}

bool WaylandStripWindow::waitForInput(int fd) {
    if (!alive()) {
        pollfd in{fd, POLLIN, 0};
        poll(&in, 1, -1);
        return true;
    }
    const int seen = configure_.width * 65536 + configure_.height;
    bool ready = false;
    dispatch(-1, fd, &ready);
    if (configure_.width * 65536 + configure_.height != seen) {
        present();
        return false;
    }
    return ready;
}

void WaylandStripWindow::setShown(bool shown) {
    if (shown == shown_ || !alive()) return;
    shown_ = shown;
    if (!shown) {
        wl_surface_attach(surface_, nullptr, 0, 0);
        wl_surface_commit(surface_);
        xdg_toplevel_destroy(toplevel_);
        xdg_surface_destroy(xdgSurface_);
        toplevel_ = nullptr;
        xdgSurface_ = nullptr;
        for (auto& b : buffers_)
            b->scenePainted = false;
        wl_display_roundtrip(display_);
        return;
    }
    if (mapSurface()) present();
}

} // namespace et::strip
