#pragma once
// Which application is in front, on X11 and on Wayland sessions alike: the X11 answer when
// it names the game (a game run through XWayland); else, where the compositor lists its
// windows, the focused one of them; else the game while its strip is being read through
// the compositor; else whatever X11 says.
#include "StripFront.h"
#include "ToplevelList.h"
#include "Workspace.h"

namespace et {

class SessionWorkspace : public Workspace {
  public:
    // `toplevels` null: the compositor is not asked (X11 sessions).
    SessionWorkspace(Workspace& x11, ToplevelList* toplevels, const StripFront& strip)
        : x11_(x11), toplevels_(toplevels), strip_(strip) {}

    std::optional<FrontmostApplication> frontmostApplication() override;

    // Wine names a native Wayland window's app id after the executable, in lower case.
    static bool isGameAppId(const std::string& appId);

  private:
    Workspace& x11_;
    ToplevelList* toplevels_;
    const StripFront& strip_;
};

} // namespace et
