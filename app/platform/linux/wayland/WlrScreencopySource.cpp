#include "WlrScreencopySource.h"

#include "wlr-screencopy-unstable-v1-client-protocol.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace et {

namespace {
using namespace std::chrono_literals;

// A compositor that is not there is looked for again this often.
constexpr auto kReconnectSpacing = 1s;
// A copy of a few pixels takes well under a millisecond, at most one refresh while the
// screen animates; a compositor that takes this long is stuck.
constexpr int kFrameTimeoutMs = 500;

// The four shared-memory layouts the compositor may offer, by where red, green and blue
// sit in the little-endian pixel's bytes.
struct Layout {
    int red, green, blue;
};
std::optional<Layout> layoutOf(uint32_t format) {
    switch (format) {
    case WL_SHM_FORMAT_XRGB8888:
    case WL_SHM_FORMAT_ARGB8888:
        return Layout{2, 1, 0};
    case WL_SHM_FORMAT_XBGR8888:
    case WL_SHM_FORMAT_ABGR8888:
        return Layout{0, 1, 2};
    default:
        return std::nullopt;
    }
}
} // namespace

int WlrScreencopySource::Output::logicalWidth() const {
    // Odd transforms turn the output by 90 or 270 degrees.
    const int width = (transform % 2) ? modeHeight : modeWidth;
    return width / std::max(1, scale);
}

int WlrScreencopySource::Output::logicalHeight() const {
    const int height = (transform % 2) ? modeWidth : modeHeight;
    return height / std::max(1, scale);
}

struct ScreencopyListeners {
    static void geometry(void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t,
                         const char*, const char*, int32_t transform) {
        auto* output = static_cast<WlrScreencopySource::Output*>(data);
        output->x = x;
        output->y = y;
        output->transform = transform;
    }
    static void mode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height,
                     int32_t) {
        auto* output = static_cast<WlrScreencopySource::Output*>(data);
        if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
        output->modeWidth = width;
        output->modeHeight = height;
    }
    static void done(void*, wl_output*) {}
    static void scale(void* data, wl_output*, int32_t factor) {
        static_cast<WlrScreencopySource::Output*>(data)->scale = factor;
    }
    static constexpr wl_output_listener output = {geometry, mode, done, scale, nullptr, nullptr};

    static void buffer(void* data, zwlr_screencopy_frame_v1*, uint32_t format, uint32_t width,
                       uint32_t height, uint32_t stride) {
        auto* self = static_cast<WlrScreencopySource*>(data);
        auto& frame = self->frame_;
        // The first layout we can read wins; the rest are ignored.
        if (frame.offeredShm || !layoutOf(format)) return;
        frame.offeredShm = true;
        frame.format = format;
        frame.width = width;
        frame.height = height;
        frame.stride = stride;
        // Before version 3 the compositor waits for the copy after its one buffer event.
        if (self->managerVersion_ < 3) self->copyFrame();
    }
    static void flags(void* data, zwlr_screencopy_frame_v1*, uint32_t flags) {
        static_cast<WlrScreencopySource*>(data)->frame_.yInvert =
            flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT;
    }
    static void ready(void* data, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {
        static_cast<WlrScreencopySource*>(data)->frame_.ready = true;
    }
    static void failed(void* data, zwlr_screencopy_frame_v1*) {
        static_cast<WlrScreencopySource*>(data)->frame_.failed = true;
    }
    static void damage(void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t, uint32_t) {}
    static void linuxDmabuf(void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {}
    static void bufferDone(void* data, zwlr_screencopy_frame_v1*) {
        auto* self = static_cast<WlrScreencopySource*>(data);
        if (!self->frame_.offeredShm || !self->copyFrame()) self->frame_.failed = true;
    }
    static constexpr zwlr_screencopy_frame_v1_listener frame = {
        buffer, flags, ready, failed, damage, linuxDmabuf, bufferDone};
};

WlrScreencopySource::WlrScreencopySource(std::string displayName, Now now)
    : client_(std::move(displayName)), now_(std::move(now)) {
    client_.onGlobal = [this](const wl::Global& global) {
        if (global.interface == wl_output_interface.name) addOutput(global);
    };
    client_.onGlobalRemoved = [this](uint32_t name) {
        std::erase_if(outputs_, [name](const auto& o) {
            if (o->name != name) return false;
            wl_output_destroy(o->output);
            return true;
        });
    };
}

WlrScreencopySource::~WlrScreencopySource() {
    disconnect();
}

void WlrScreencopySource::disconnect() {
    if (frameObject_) zwlr_screencopy_frame_v1_destroy(frameObject_);
    frameObject_ = nullptr;
    releaseBuffer();
    for (const auto& o : outputs_)
        wl_output_destroy(o->output);
    outputs_.clear();
    if (manager_) zwlr_screencopy_manager_v1_destroy(manager_);
    if (shm_) wl_shm_destroy(shm_);
    manager_ = nullptr;
    shm_ = nullptr;
    client_.disconnect();
}

void WlrScreencopySource::addOutput(const wl::Global& global) {
    auto output = std::make_unique<Output>();
    output->name = global.name;
    output->output = static_cast<wl_output*>(client_.bind(global, &wl_output_interface, 2));
    wl_output_add_listener(output->output, &ScreencopyListeners::output, output.get());
    outputs_.push_back(std::move(output));
}

bool WlrScreencopySource::connected() {
    if (client_.alive()) return client_.pump() || (disconnect(), false);
    if (client_.display()) disconnect();
    const auto now = now_();
    if (now < retryAt_) return false;
    retryAt_ = now + kReconnectSpacing;
    if (!client_.connect()) return false;
    const wl::Global* manager = client_.find(zwlr_screencopy_manager_v1_interface.name);
    const wl::Global* shm = client_.find(wl_shm_interface.name);
    if (manager && shm) {
        manager_ = static_cast<zwlr_screencopy_manager_v1*>(
            client_.bind(*manager, &zwlr_screencopy_manager_v1_interface, 3));
        managerVersion_ = std::min(manager->version, 3u);
        shm_ = static_cast<wl_shm*>(client_.bind(*shm, &wl_shm_interface, 1));
    }
    for (const auto& global : client_.globals())
        if (global.interface == wl_output_interface.name) addOutput(global);
    // The outputs' geometry and modes arrive in answer to the binds.
    if (wl_display_roundtrip(client_.display()) < 0) {
        disconnect();
        return false;
    }
    return true;
}

bool WlrScreencopySource::offered() {
    return connected() && manager_ && shm_;
}

int WlrScreencopySource::activeDisplayCount() {
    if (!connected()) return 0;
    return static_cast<int>(std::count_if(outputs_.begin(), outputs_.end(), [](const auto& o) {
        return o->modeWidth > 0 && o->modeHeight > 0;
    }));
}

const WlrScreencopySource::Output* WlrScreencopySource::mainOutput() const {
    const Output* first = nullptr;
    for (const auto& o : outputs_) {
        if (o->modeWidth <= 0 || o->modeHeight <= 0) continue;
        if (o->x == 0 && o->y == 0) return o.get();
        if (!first) first = o.get();
    }
    return first;
}

double WlrScreencopySource::mainDisplayScaleFactor() {
    return 1.0;
}

void WlrScreencopySource::releaseBuffer() {
    if (buffer_.buffer) wl_buffer_destroy(buffer_.buffer);
    if (buffer_.pool) wl_shm_pool_destroy(buffer_.pool);
    if (buffer_.data) munmap(buffer_.data, buffer_.size);
    if (buffer_.fd >= 0) close(buffer_.fd);
    buffer_ = Buffer{};
}

bool WlrScreencopySource::shapeBuffer() {
    const Frame& f = frame_;
    if (buffer_.buffer && buffer_.format == f.format && buffer_.width == f.width &&
        buffer_.height == f.height && buffer_.stride == f.stride)
        return true;
    releaseBuffer();
    const size_t size = static_cast<size_t>(f.stride) * f.height;
    if (size == 0 || f.stride < f.width * 4) return false;
    buffer_.fd = memfd_create("ember-talon-strip", MFD_CLOEXEC);
    if (buffer_.fd < 0 || ftruncate(buffer_.fd, static_cast<off_t>(size)) != 0) {
        releaseBuffer();
        return false;
    }
    void* data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, buffer_.fd, 0);
    if (data == MAP_FAILED) {
        releaseBuffer();
        return false;
    }
    buffer_.data = static_cast<uint8_t*>(data);
    buffer_.size = size;
    buffer_.pool = wl_shm_create_pool(shm_, buffer_.fd, static_cast<int32_t>(size));
    buffer_.buffer = wl_shm_pool_create_buffer(buffer_.pool, 0, static_cast<int32_t>(f.width),
                                               static_cast<int32_t>(f.height),
                                               static_cast<int32_t>(f.stride), f.format);
    buffer_.format = f.format;
    buffer_.width = f.width;
    buffer_.height = f.height;
    buffer_.stride = f.stride;
    return true;
}

bool WlrScreencopySource::copyFrame() {
    if (frame_.copying || !shapeBuffer()) return false;
    frame_.copying = true;
    zwlr_screencopy_frame_v1_copy(frameObject_, buffer_.buffer);
    return true;
}

void WlrScreencopySource::decodeRow(ScreenImage& image) const {
    const auto layout = layoutOf(buffer_.format);
    const int w = static_cast<int>(buffer_.width), h = static_cast<int>(buffer_.height);
    // A buffer of another size was shaped for a mode or transform changed since it was asked.
    if (!layout || w != box_.width || h != box_.height) return;
    const int count = pixels_.width;
    auto& out = image.row();
    out.resize(static_cast<size_t>(std::max(0, count)));
    for (int k = 0; k < count; ++k) {
        const wl::Pixel p =
            wl::toBuffer(transform_, modeWidth_, modeHeight_, {pixels_.left + k, pixels_.top});
        const int x = p.x - box_.x;
        const int y = frame_.yInvert ? h - 1 - (p.y - box_.y) : p.y - box_.y;
        if (x < 0 || y < 0 || x >= w || y >= h) {
            out.clear();
            return;
        }
        const uint8_t* px = buffer_.data + static_cast<size_t>(y) * buffer_.stride + 4 * x;
        out[static_cast<size_t>(k)] = Color{px[layout->red] / 255.0, px[layout->green] / 255.0,
                                            px[layout->blue] / 255.0, 1.0};
    }
}

bool WlrScreencopySource::capture(const Rect& rect, ScreenImage& image) {
    image.clear();
    if (!offered()) return false;
    const Output* main = mainOutput();
    if (!main || !std::isfinite(rect.x) || !std::isfinite(rect.y) || !std::isfinite(rect.width))
        return false;
    const int scale = std::max(1, main->scale);
    const double left = std::max(0.0, std::floor(rect.x));
    const double right =
        std::min<double>(main->logicalWidth() * scale, std::ceil(rect.x + rect.width));
    const double top = std::floor(rect.y);
    if (right <= left || top < 0.0 || top >= main->logicalHeight() * scale) return false;

    frame_ = Frame{};
    pixels_ = {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left)};
    // The compositor is asked in logical points: the points that hold those pixels.
    const int logicalLeft = pixels_.left / scale;
    region_ = {logicalLeft, pixels_.top / scale,
               (pixels_.left + pixels_.width + scale - 1) / scale - logicalLeft};
    transform_ = main->transform;
    modeWidth_ = main->modeWidth;
    modeHeight_ = main->modeHeight;
    const bool region = wl::regionLandsRight(transform_);
    box_ = region ? wl::toBuffer(transform_, modeWidth_, modeHeight_,
                                 {region_.left * scale, region_.top * scale},
                                 {(region_.left + region_.width) * scale - 1,
                                  (region_.top + 1) * scale - 1})
                  : wl::Box{0, 0, modeWidth_, modeHeight_};
    frameObject_ =
        region ? zwlr_screencopy_manager_v1_capture_output_region(
                     manager_, 0, main->output, region_.left, region_.top, region_.width, 1)
               : zwlr_screencopy_manager_v1_capture_output(manager_, 0, main->output);
    zwlr_screencopy_frame_v1_add_listener(frameObject_, &ScreencopyListeners::frame, this);
    const bool finished =
        client_.waitUntil([this] { return frame_.ready || frame_.failed; }, kFrameTimeoutMs);
    zwlr_screencopy_frame_v1_destroy(frameObject_);
    frameObject_ = nullptr;
    if (!client_.alive()) {
        disconnect();
        return false;
    }
    if (!finished || !frame_.ready) return false;
    decodeRow(image);
    return image.width() > 0;
}

} // namespace et
