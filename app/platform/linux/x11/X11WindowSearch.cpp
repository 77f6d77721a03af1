#include "X11WindowSearch.h"

#include <cstdlib>
#include <memory>
#include <vector>

namespace et::x11 {

namespace {

// Window managers put a client one or two levels below the root (frame, sometimes a
// wrapper inside it); a little more depth costs nothing when the tree is shallow.
constexpr int kSearchDepth = 4;
// A bound on one search, whatever the desktop holds.
constexpr size_t kMaxWindows = 4096;

// Replies are collected in the order the requests were sent, so each level costs one
// round trip however many windows it has. Errors (a window that vanished meanwhile) are
// taken with their reply and freed.
std::vector<xcb_window_t> searchLevel(xcb_connection_t* c, const std::vector<xcb_window_t>& level,
                                      std::string_view windowClass, bool descend,
                                      std::vector<xcb_window_t>& matches) {
    std::vector<xcb_get_property_cookie_t> classes;
    std::vector<xcb_query_tree_cookie_t> trees;
    classes.reserve(level.size());
    for (xcb_window_t w : level) {
        classes.push_back(
            xcb_get_property(c, 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256 / 4));
        if (descend) trees.push_back(xcb_query_tree(c, w));
    }
    std::vector<xcb_window_t> next;
    for (size_t i = 0; i < level.size(); ++i) {
        xcb_generic_error_t* error = nullptr;
        auto property = reply(xcb_get_property_reply(c, classes[i], &error));
        std::free(error);
        bool matched = false;
        if (property && property->type == XCB_ATOM_STRING && property->format == 8) {
            const auto* value = static_cast<const char*>(xcb_get_property_value(property.get()));
            const auto length = static_cast<size_t>(xcb_get_property_value_length(property.get()));
            matched = wmClassName({value, length}) == windowClass;
        }
        if (matched) matches.push_back(level[i]);
        if (!descend) continue;
        // A match's own subwindows are not what is looked for; its reply is still taken.
        if (matched) {
            xcb_discard_reply(c, trees[i].sequence);
            continue;
        }
        error = nullptr;
        auto tree = reply(xcb_query_tree_reply(c, trees[i], &error));
        std::free(error);
        if (!tree) continue;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        const int count = xcb_query_tree_children_length(tree.get());
        for (int k = 0; k < count && next.size() < kMaxWindows; ++k)
            next.push_back(children[k]);
    }
    return next;
}

} // namespace

std::optional<ClientWindow> describeWindow(xcb_connection_t* c, xcb_screen_t* screen,
                                           xcb_window_t window) {
    auto attributesCookie = xcb_get_window_attributes(c, window);
    auto geometryCookie = xcb_get_geometry(c, window);
    xcb_generic_error_t* error = nullptr;
    auto attributes = reply(xcb_get_window_attributes_reply(c, attributesCookie, &error));
    std::free(error);
    error = nullptr;
    auto geometry = reply(xcb_get_geometry_reply(c, geometryCookie, &error));
    std::free(error);
    if (!attributes || !geometry || attributes->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT)
        return std::nullopt;
    auto format = visualPixelFormat(c, screen, attributes->visual, geometry->depth);
    if (!format) return std::nullopt;
    return ClientWindow{window, geometry->width, geometry->height,
                        attributes->map_state != XCB_MAP_STATE_UNMAPPED, *format};
}

std::string_view wmClassName(std::string_view wmClass) {
    const size_t split = wmClass.find('\0');
    if (split == std::string_view::npos) return {};
    std::string_view name = wmClass.substr(split + 1);
    if (const size_t end = name.find('\0'); end != std::string_view::npos)
        name = name.substr(0, end);
    return name;
}

std::optional<ClientWindow> findClientWindow(xcb_connection_t* connection, xcb_screen_t* screen,
                                             std::string_view windowClass) {
    if (windowClass.empty()) return std::nullopt;
    std::vector<xcb_window_t> level{screen->root};
    std::vector<xcb_window_t> matches;
    size_t visited = 0;
    // The root itself is looked at too: it never carries a class, and it is one request.
    // Every level is searched: a program's unmapped helper windows stay top-level while its
    // real window sits inside a frame.
    for (int depth = 0; depth <= kSearchDepth && !level.empty(); ++depth) {
        visited += level.size();
        level = searchLevel(connection, level, windowClass,
                            depth < kSearchDepth && visited < kMaxWindows, matches);
    }
    std::optional<ClientWindow> best;
    for (xcb_window_t window : matches) {
        auto candidate = describeWindow(connection, screen, window);
        if (!candidate) continue;
        const auto area = [](const ClientWindow& w) { return w.width * w.height; };
        if (!best || (candidate->mapped && !best->mapped) ||
            (candidate->mapped == best->mapped && area(*candidate) > area(*best)))
            best = candidate;
    }
    return best;
}

} // namespace et::x11
