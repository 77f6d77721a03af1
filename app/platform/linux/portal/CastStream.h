#pragma once
// The PipeWire stream of a granted screen cast, on a PipeWire thread loop of its own. It asks
// for at most `maxFps` frames a second in the byte orders the strip reader knows, in shared
// memory or a linear DMA-BUF, and hands every frame's pixels to `Sink` on its thread while
// the buffer is held: the sink copies what it needs and the buffer goes straight back.
#include "FrameStrip.h"

#include <atomic>
#include <cstdint>
#include <string>

struct pw_thread_loop;
struct pw_context;
struct pw_core;
struct pw_stream;
struct pw_registry;
struct pw_buffer;
struct spa_pod;

namespace et::portal {

class CastStream {
  public:
    class Sink {
      public:
        virtual ~Sink() = default;
        // On the PipeWire thread; `frame` is valid only during the call.
        virtual void frame(const PixelView& frame) = 0;
        // The stream stopped for good (producer gone, PipeWire gone, error); on the
        // PipeWire thread. Called at most once.
        virtual void ended(const std::string& why) = 0;
    };

    // Takes `pipewireFd` (the portal's PipeWire connection) in every case.
    CastStream(int pipewireFd, uint32_t node, int maxFps, Sink& sink);
    ~CastStream();
    CastStream(const CastStream&) = delete;
    CastStream& operator=(const CastStream&) = delete;

    // False, with `error` set, when the stream could not even be set up.
    bool start(std::string& error);

    // Called by the stream's callbacks.
    void onParamChanged(uint32_t id, const spa_pod* param);
    void onStateChanged(int state, const char* error);
    void onAddBuffer(pw_buffer* buffer);
    void onRemoveBuffer(pw_buffer* buffer);
    void onProcess();
    void onCoreError(uint32_t id, int res, const char* message);
    void onGlobalRemoved(uint32_t id);

  private:
    void end(const std::string& why);

    int fd_;
    uint32_t node_;
    int maxFps_;
    Sink& sink_;
    pw_thread_loop* loop_ = nullptr;
    pw_context* context_ = nullptr;
    pw_core* core_ = nullptr;
    pw_stream* stream_ = nullptr;
    pw_registry* registry_ = nullptr;
    struct Hooks;
    Hooks* hooks_ = nullptr;
    PixelLayout layout_ = PixelLayout::BGRx;
    int width_ = 0;
    int height_ = 0;
    bool dmabuf_ = false;
    bool layoutKnown_ = false;
    bool ended_ = false;
};

} // namespace et::portal
