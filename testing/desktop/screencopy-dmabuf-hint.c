/* Preloaded into xdg-desktop-portal-wlr 0.7 by the portal tests only. That version gives up
 * on every cast unless the compositor announces a DMA-BUF format for screencopy frames,
 * which a compositor without a GPU (sway on pixman, headless) never does. Announcing one
 * before each buffer_done lets it go on; lacking a GPU device itself, it then offers shared
 * memory only, which is what the compositor can fill. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <wayland-client-core.h>

/* zwlr_screencopy_frame_v1's events, version 3, in protocol order. */
struct frame_listener {
    void (*buffer)(void *, struct wl_proxy *, uint32_t, uint32_t, uint32_t, uint32_t);
    void (*flags)(void *, struct wl_proxy *, uint32_t);
    void (*ready)(void *, struct wl_proxy *, uint32_t, uint32_t, uint32_t);
    void (*failed)(void *, struct wl_proxy *);
    void (*damage)(void *, struct wl_proxy *, uint32_t, uint32_t, uint32_t, uint32_t);
    void (*linux_dmabuf)(void *, struct wl_proxy *, uint32_t, uint32_t, uint32_t);
    void (*buffer_done)(void *, struct wl_proxy *);
};

struct wrapped {
    const struct frame_listener *inner;
    void *data;
    uint32_t width, height;
    int announced;
};

/* DRM_FORMAT_XRGB8888 */
static const uint32_t xrgb8888 = 0x34325258;

static void on_buffer(void *d, struct wl_proxy *f, uint32_t format, uint32_t w, uint32_t h,
                      uint32_t stride) {
    struct wrapped *wr = d;
    wr->width = w;
    wr->height = h;
    if (wr->inner->buffer) wr->inner->buffer(wr->data, f, format, w, h, stride);
}
static void on_flags(void *d, struct wl_proxy *f, uint32_t flags) {
    struct wrapped *wr = d;
    if (wr->inner->flags) wr->inner->flags(wr->data, f, flags);
}
static void on_ready(void *d, struct wl_proxy *f, uint32_t hi, uint32_t lo, uint32_t ns) {
    struct wrapped *wr = d;
    /* The frame is destroyed by its owner during this call: nothing more will come. */
    const struct frame_listener *inner = wr->inner;
    void *data = wr->data;
    free(wr);
    if (inner->ready) inner->ready(data, f, hi, lo, ns);
}
static void on_failed(void *d, struct wl_proxy *f) {
    struct wrapped *wr = d;
    const struct frame_listener *inner = wr->inner;
    void *data = wr->data;
    free(wr);
    if (inner->failed) inner->failed(data, f);
}
static void on_damage(void *d, struct wl_proxy *f, uint32_t x, uint32_t y, uint32_t w,
                      uint32_t h) {
    struct wrapped *wr = d;
    if (wr->inner->damage) wr->inner->damage(wr->data, f, x, y, w, h);
}
static void on_linux_dmabuf(void *d, struct wl_proxy *f, uint32_t format, uint32_t w,
                            uint32_t h) {
    struct wrapped *wr = d;
    wr->announced = 1;
    if (wr->inner->linux_dmabuf) wr->inner->linux_dmabuf(wr->data, f, format, w, h);
}
static void on_buffer_done(void *d, struct wl_proxy *f) {
    struct wrapped *wr = d;
    if (!wr->announced && wr->inner->linux_dmabuf)
        wr->inner->linux_dmabuf(wr->data, f, xrgb8888, wr->width, wr->height);
    if (wr->inner->buffer_done) wr->inner->buffer_done(wr->data, f);
}

static const struct frame_listener wrapper = {on_buffer, on_flags,        on_ready,
                                              on_failed, on_damage,       on_linux_dmabuf,
                                              on_buffer_done};

int wl_proxy_add_listener(struct wl_proxy *proxy, void (**implementation)(void), void *data) {
    static int (*real)(struct wl_proxy *, void (**)(void), void *);
    if (!real) real = (int (*)(struct wl_proxy *, void (**)(void), void *))dlsym(
                   RTLD_NEXT, "wl_proxy_add_listener");
    if (strcmp(wl_proxy_get_class(proxy), "zwlr_screencopy_frame_v1") != 0)
        return real(proxy, implementation, data);
    struct wrapped *wr = calloc(1, sizeof *wr);
    if (!wr) return real(proxy, implementation, data);
    wr->inner = (const struct frame_listener *)implementation;
    wr->data = data;
    return real(proxy, (void (**)(void))&wrapper, wr);
}
