#pragma once
// The windows a wlroots compositor lists for task bars (foreign-toplevel management), with
// their app id, title and activated state: which one has the focus tells whether a native
// Wayland game is in front. Wine's Wayland driver gives each window of a program the app id
// of its executable's name in lower case, "emberfall.exe", as its X11 driver does WM_CLASS.
//
// Used on the main thread; events are read when asked, without blocking.
#include "ToplevelList.h"
#include "WaylandClient.h"

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;

namespace et {

class WlrForeignToplevels : public ToplevelList {
  public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;
    explicit WlrForeignToplevels(std::string displayName = {}, Now now = Clock::now);
    ~WlrForeignToplevels() override;
    WlrForeignToplevels(const WlrForeignToplevels&) = delete;
    WlrForeignToplevels& operator=(const WlrForeignToplevels&) = delete;

    bool offered() override;
    std::optional<std::string> activated() override;

    // One listed window; `pending` holds what arrives until the compositor's done event.
    struct Toplevel {
        zwlr_foreign_toplevel_handle_v1* handle = nullptr;
        struct State {
            std::string appId, title;
            bool activated = false;
        } pending, current;
        bool closed = false;
    };

  private:
    bool connected();
    void disconnect();

    wl::Client client_;
    Now now_;
    Clock::time_point retryAt_{};
    zwlr_foreign_toplevel_manager_v1* manager_ = nullptr;
    std::vector<std::unique_ptr<Toplevel>> toplevels_;

    friend struct ToplevelListeners;
};

} // namespace et
