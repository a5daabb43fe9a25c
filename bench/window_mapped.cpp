// SPDX-License-Identifier: GPL-3.0-or-later
// Tells when a top-level window titled TITLE is mapped, by the X server's
// own word, as it happens: a poll would ask the server about every window
// several times a millisecond, competing with the program it times, and
// err by its period. Prints "ready" once it watches, then the time of the
// map (nanoseconds since the epoch, as `date +%s%N`); exits 1 after 10 s
// without it. Needs a screen without a window manager, where top-level
// windows are the root's children.
// Usage: window_mapped TITLE
#include <poll.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t Atom(xcb_connection_t* x, const char* name) {
  const Reply<xcb_intern_atom_reply_t> reply(
      xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, std::strlen(name), name), nullptr),
      &std::free);
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::string Property(xcb_connection_t* x, xcb_window_t window, xcb_atom_t name) {
  const Reply<xcb_get_property_reply_t> reply(
      xcb_get_property_reply(
          x, xcb_get_property(x, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr),
      &std::free);
  if (!reply) return {};
  return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                     static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: window_mapped TITLE\n");
    return 2;
  }
  const std::string title = argv[1];
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(x) != 0) {
    std::fprintf(stderr, "window_mapped: no X display\n");
    return 1;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
  const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  // Checked: the watch must be in place before "ready".
  if (xcb_generic_error_t* error = xcb_request_check(
          x, xcb_change_window_attributes_checked(x, root, XCB_CW_EVENT_MASK, &mask))) {
    std::free(error);
    std::fprintf(stderr, "window_mapped: cannot watch the root window\n");
    return 1;
  }
  const xcb_atom_t netName = Atom(x, "_NET_WM_NAME");
  std::printf("ready\n");
  std::fflush(stdout);

  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < giveUp) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
      const auto at = std::chrono::system_clock::now();
      const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
      const xcb_window_t window = mapped ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window
                                         : xcb_window_t{XCB_WINDOW_NONE};
      std::free(event);
      // Qt names its windows before it maps them.
      if (mapped && (Property(x, window, netName) == title ||
                     Property(x, window, XCB_ATOM_WM_NAME) == title)) {
        std::printf("%lld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch())
                            .count()));
        return 0;
      }
    }
    if (xcb_connection_has_error(x) != 0) return 1;
    pollfd readable{xcb_get_file_descriptor(x), POLLIN, 0};
    poll(&readable, 1, 100);
  }
  std::fprintf(stderr, "window_mapped: no window \"%s\" mapped in 10 s\n", title.c_str());
  return 1;
}
