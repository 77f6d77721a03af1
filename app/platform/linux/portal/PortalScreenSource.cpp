#include "PortalScreenSource.h"

namespace et::portal {

int PortalScreenSource::activeDisplayCount() {
    cast_->want();
    const auto state = cast_->state();
    return state == PortalCast::State::Asking || state == PortalCast::State::Streaming ? 1 : 0;
}

bool PortalScreenSource::capture(const Rect& rect, ScreenImage& image) {
    cast_->want();
    return cast_->read(rect, image.row());
}

} // namespace et::portal
