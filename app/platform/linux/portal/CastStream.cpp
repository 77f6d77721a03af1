#include "CastStream.h"

#include <linux/dma-buf.h>
#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <mutex>

namespace et::portal {

namespace {
// DRM_FORMAT_MOD_LINEAR: rows in plain order, the only DMA-BUF layout the CPU can read.
constexpr int64_t kLinear = 0;

struct LayoutName {
    spa_video_format spa;
    PixelLayout layout;
};
constexpr LayoutName kLayouts[] = {
    {SPA_VIDEO_FORMAT_BGRx, PixelLayout::BGRx}, {SPA_VIDEO_FORMAT_BGRA, PixelLayout::BGRA},
    {SPA_VIDEO_FORMAT_RGBx, PixelLayout::RGBx}, {SPA_VIDEO_FORMAT_RGBA, PixelLayout::RGBA},
    {SPA_VIDEO_FORMAT_xRGB, PixelLayout::xRGB}, {SPA_VIDEO_FORMAT_ARGB, PixelLayout::ARGB},
    {SPA_VIDEO_FORMAT_xBGR, PixelLayout::xBGR}, {SPA_VIDEO_FORMAT_ABGR, PixelLayout::ABGR},
    {SPA_VIDEO_FORMAT_RGB, PixelLayout::RGB},   {SPA_VIDEO_FORMAT_BGR, PixelLayout::BGR},
};

// A DMA-BUF plane mapped for reading; PipeWire maps only shared memory itself.
struct Mapping {
    void* address = MAP_FAILED;
    size_t length = 0;
};

const spa_pod* videoFormat(spa_pod_builder& b, int maxFps, bool linearDmabuf) {
    spa_pod_frame object;
    spa_pod_builder_push_object(&b, &object, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
    spa_pod_builder_add(&b, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
                        SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), 0);
    spa_pod_frame choice;
    spa_pod_builder_prop(&b, SPA_FORMAT_VIDEO_format, 0);
    spa_pod_builder_push_choice(&b, &choice, SPA_CHOICE_Enum, 0);
    // An enumeration's first value is its default.
    spa_pod_builder_id(&b, kLayouts[0].spa);
    for (const auto& layout : kLayouts) spa_pod_builder_id(&b, layout.spa);
    spa_pod_builder_pop(&b, &choice);
    if (linearDmabuf) {
        spa_pod_builder_prop(&b, SPA_FORMAT_VIDEO_modifier, SPA_POD_PROP_FLAG_MANDATORY);
        spa_pod_builder_long(&b, kLinear);
    }
    spa_rectangle size{1280, 800}, smallest{1, 1}, largest{16384, 16384};
    // Frames come when the screen changes, never more often than the capture reads them.
    spa_fraction variable{0, 1}, most{static_cast<uint32_t>(maxFps), 1}, least{0, 1};
    spa_pod_builder_add(&b, SPA_FORMAT_VIDEO_size,
                        SPA_POD_CHOICE_RANGE_Rectangle(&size, &smallest, &largest),
                        SPA_FORMAT_VIDEO_framerate, SPA_POD_Fraction(&variable),
                        SPA_FORMAT_VIDEO_maxFramerate,
                        SPA_POD_CHOICE_RANGE_Fraction(&most, &least, &most), 0);
    return static_cast<const spa_pod*>(spa_pod_builder_pop(&b, &object));
}
} // namespace

struct CastStream::Hooks {
    spa_hook stream{};
    spa_hook core{};
    spa_hook registry{};
    pw_stream_events streamEvents{};
    pw_core_events coreEvents{};
    pw_registry_events registryEvents{};
};

CastStream::CastStream(int pipewireFd, uint32_t node, int maxFps, Sink& sink)
    : fd_(pipewireFd), node_(node), maxFps_(maxFps), sink_(sink) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { pw_init(nullptr, nullptr); });
}

CastStream::~CastStream() {
    if (loop_) pw_thread_loop_stop(loop_);
    if (stream_) pw_stream_destroy(stream_);
    if (registry_) pw_proxy_destroy(reinterpret_cast<pw_proxy*>(registry_));
    if (core_) pw_core_disconnect(core_);
    if (context_) pw_context_destroy(context_);
    if (loop_) pw_thread_loop_destroy(loop_);
    // Without a core the descriptor was never handed over.
    if (!core_ && fd_ >= 0) ::close(fd_);
    delete hooks_;
}

bool CastStream::start(std::string& error) {
    loop_ = pw_thread_loop_new("et-cast", nullptr);
    if (!loop_) {
        error = "no PipeWire thread";
        return false;
    }
    context_ = pw_context_new(pw_thread_loop_get_loop(loop_), nullptr, 0);
    if (!context_ || pw_thread_loop_start(loop_) < 0) {
        error = "no PipeWire context";
        return false;
    }
    hooks_ = new Hooks;
    pw_thread_loop_lock(loop_);
    core_ = pw_context_connect_fd(context_, fd_, nullptr, 0);
    if (!core_) {
        pw_thread_loop_unlock(loop_);
        error = "cannot connect to PipeWire";
        return false;
    }
    hooks_->coreEvents.version = PW_VERSION_CORE_EVENTS;
    hooks_->coreEvents.error = [](void* self, uint32_t id, int, int res, const char* message) {
        static_cast<CastStream*>(self)->onCoreError(id, res, message);
    };
    pw_core_add_listener(core_, &hooks_->core, &hooks_->coreEvents, this);
    // A cast whose source goes (the compositor or the portal's backend ended) only pauses
    // the stream; the source's node leaving the registry says it will not come back.
    registry_ = pw_core_get_registry(core_, PW_VERSION_REGISTRY, 0);
    hooks_->registryEvents.version = PW_VERSION_REGISTRY_EVENTS;
    hooks_->registryEvents.global_remove = [](void* self, uint32_t id) {
        static_cast<CastStream*>(self)->onGlobalRemoved(id);
    };
    if (registry_)
        pw_registry_add_listener(registry_, &hooks_->registry, &hooks_->registryEvents, this);

    stream_ = pw_stream_new(core_, "Ember Talon strip",
                            pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                              "Capture", PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    if (!stream_) {
        pw_thread_loop_unlock(loop_);
        error = "no PipeWire stream";
        return false;
    }
    auto& events = hooks_->streamEvents;
    events.version = PW_VERSION_STREAM_EVENTS;
    events.state_changed = [](void* self, pw_stream_state, pw_stream_state state,
                              const char* why) {
        static_cast<CastStream*>(self)->onStateChanged(state, why);
    };
    events.param_changed = [](void* self, uint32_t id, const spa_pod* param) {
        static_cast<CastStream*>(self)->onParamChanged(id, param);
    };
    events.add_buffer = [](void* self, pw_buffer* buffer) {
        static_cast<CastStream*>(self)->onAddBuffer(buffer);
    };
    events.remove_buffer = [](void* self, pw_buffer* buffer) {
        static_cast<CastStream*>(self)->onRemoveBuffer(buffer);
    };
    events.process = [](void* self) { static_cast<CastStream*>(self)->onProcess(); };
    pw_stream_add_listener(stream_, &hooks_->stream, &events, this);

    uint8_t storage[2048];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    const spa_pod* params[2] = {videoFormat(b, maxFps_, true), videoFormat(b, maxFps_, false)};
    const int result = pw_stream_connect(
        stream_, PW_DIRECTION_INPUT, node_,
        static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS),
        params, 2);
    pw_thread_loop_unlock(loop_);
    if (result < 0) {
        error = "cannot connect the stream to the cast";
        return false;
    }
    return true;
}

void CastStream::onParamChanged(uint32_t id, const spa_pod* param) {
    if (id != SPA_PARAM_Format || !param) return;
    spa_video_info_raw info{};
    if (spa_format_video_raw_parse(param, &info) < 0) return;
    layoutKnown_ = false;
    for (const auto& layout : kLayouts)
        if (layout.spa == info.format) {
            layout_ = layout.layout;
            layoutKnown_ = true;
        }
    width_ = static_cast<int>(info.size.width);
    height_ = static_cast<int>(info.size.height);
    dmabuf_ = spa_pod_find_prop(param, nullptr, SPA_FORMAT_VIDEO_modifier) != nullptr;

    uint8_t storage[512];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    const int types = dmabuf_ ? (1 << SPA_DATA_DmaBuf)
                              : (1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd);
    const spa_pod* buffers = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
        SPA_POD_CHOICE_RANGE_Int(4, 1, 8), SPA_PARAM_BUFFERS_blocks, SPA_POD_Int(1),
        SPA_PARAM_BUFFERS_dataType, SPA_POD_CHOICE_FLAGS_Int(types)));
    pw_stream_update_params(stream_, &buffers, 1);
}

void CastStream::onAddBuffer(pw_buffer* buffer) {
    spa_data& data = buffer->buffer->datas[0];
    if (data.type != SPA_DATA_DmaBuf || data.data) return;
    auto* mapping = new Mapping;
    mapping->length = data.maxsize + data.mapoffset;
    mapping->address = ::mmap(nullptr, mapping->length, PROT_READ, MAP_SHARED,
                              static_cast<int>(data.fd), 0);
    buffer->user_data = mapping;
}

void CastStream::onRemoveBuffer(pw_buffer* buffer) {
    auto* mapping = static_cast<Mapping*>(buffer->user_data);
    if (!mapping) return;
    if (mapping->address != MAP_FAILED) ::munmap(mapping->address, mapping->length);
    delete mapping;
    buffer->user_data = nullptr;
}

void CastStream::onProcess() {
    // Only the newest frame matters: older ones go back unread.
    pw_buffer* newest = nullptr;
    while (pw_buffer* next = pw_stream_dequeue_buffer(stream_)) {
        if (newest) pw_stream_queue_buffer(stream_, newest);
        newest = next;
    }
    if (!newest) return;
    spa_buffer* buffer = newest->buffer;
    const spa_data& data = buffer->datas[0];
    const auto* mapping = static_cast<const Mapping*>(newest->user_data);
    const uint8_t* base = static_cast<const uint8_t*>(data.data);
    if (!base && mapping && mapping->address != MAP_FAILED)
        base = static_cast<const uint8_t*>(mapping->address) + data.mapoffset;
    // An empty chunk carries only metadata (a cursor move): the last frame still stands.
    const bool usable = layoutKnown_ && base && data.chunk && data.chunk->size > 0 &&
                        !(data.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED) &&
                        data.chunk->offset <= data.maxsize &&
                        data.chunk->size <= data.maxsize - data.chunk->offset;
    if (usable) {
        const bool synced = data.type == SPA_DATA_DmaBuf;
        dma_buf_sync sync{DMA_BUF_SYNC_START | DMA_BUF_SYNC_READ};
        if (synced) ::ioctl(static_cast<int>(data.fd), DMA_BUF_IOCTL_SYNC, &sync);
        PixelView view{base + data.chunk->offset, data.chunk->size, width_, height_,
                       data.chunk->stride, layout_};
        sink_.frame(view);
        sync.flags = DMA_BUF_SYNC_END | DMA_BUF_SYNC_READ;
        if (synced) ::ioctl(static_cast<int>(data.fd), DMA_BUF_IOCTL_SYNC, &sync);
    }
    pw_stream_queue_buffer(stream_, newest);
}

void CastStream::onStateChanged(int state, const char* error) {
    if (state == PW_STREAM_STATE_ERROR)
        end(std::string("the stream failed: ") + (error ? error : "unknown error"));
    else if (state == PW_STREAM_STATE_UNCONNECTED)
        end("the stream was disconnected");
}

void CastStream::onGlobalRemoved(uint32_t id) {
    if (id == node_) end("the screen's source went away");
}

void CastStream::onCoreError(uint32_t id, int res, const char* message) {
    // Errors of other objects are answers to single requests; the core's mean PipeWire
    // itself is gone or has dropped us.
    if (id == PW_ID_CORE)
        end(std::string("PipeWire dropped the connection: ") + (message ? message : "") +
            " (" + std::to_string(res) + ")");
}

void CastStream::end(const std::string& why) {
    if (ended_) return;
    ended_ = true;
    sink_.ended(why);
}

} // namespace et::portal
