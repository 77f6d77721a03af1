#pragma once
// Where a pixel of an output, as the player sees it, sits in the buffer a wlroots compositor
// copies: the output's own buffer, as it is scanned out, before the output's transform turns
// or mirrors it into what the player sees. (sway 1.7 on pixman, as dumped.)
#include <wayland-client-protocol.h>

#include <algorithm>
#include <cstdlib>

namespace et::wl {

struct Pixel {
    int x = 0, y = 0;
};

struct Box {
    int x = 0, y = 0, width = 0, height = 0;
};

// `width` × `height`: the buffer's size, the output's mode. Transforms turn counter-clockwise
// and mirror left to right first; `swaymsg output X transform 90` turns clockwise, which
// the output reports as WL_OUTPUT_TRANSFORM_270.
inline Pixel toBuffer(int transform, int width, int height, Pixel seen) {
    const int x = seen.x, y = seen.y, right = width - 1, bottom = height - 1;
    switch (transform) {
    case WL_OUTPUT_TRANSFORM_90:
        return {y, bottom - x};
    case WL_OUTPUT_TRANSFORM_180:
        return {right - x, bottom - y};
    case WL_OUTPUT_TRANSFORM_270:
        return {right - y, x};
    case WL_OUTPUT_TRANSFORM_FLIPPED:
        return {right - x, y};
    case WL_OUTPUT_TRANSFORM_FLIPPED_90:
        return {y, x};
    case WL_OUTPUT_TRANSFORM_FLIPPED_180:
        return {x, bottom - y};
    case WL_OUTPUT_TRANSFORM_FLIPPED_270:
        return {right - y, bottom - x};
    default:
        return seen;
    }
}

// The buffer's box that holds the seen rectangle from `first` to `last` (both inside).
inline Box toBuffer(int transform, int width, int height, Pixel first, Pixel last) {
    const Pixel a = toBuffer(transform, width, height, first);
    const Pixel b = toBuffer(transform, width, height, last);
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::abs(a.x - b.x) + 1,
            std::abs(a.y - b.y) + 1};
}

// wlroots 0.15 turns a region of a 90- or 270-degree output into the buffer by the output's
// transform where it needs the inverse, so the copy comes from the opposite corner; the
// mirrored and half-turned transforms are their own inverses and land right. Compositors
// differ there (Hyprland's regions of turned outputs are wrong too, in its own way), so the
// whole output is copied rather than a region asked that would suit one mistake.
inline bool regionLandsRight(int transform) {
    return transform != WL_OUTPUT_TRANSFORM_90 && transform != WL_OUTPUT_TRANSFORM_270;
}

} // namespace et::wl
