// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/x11_tray_selection.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <string>

namespace halvoric {

namespace {

// Adds StructureNotify to what this client already selects on `window`, so
// Qt's own selection on the root window stays as it was.
void SelectStructureNotify(xcb_connection_t* connection, xcb_window_t window) {
  xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
      connection, xcb_get_window_attributes(connection, window), nullptr);
  if (!attributes) return;  // the window is already gone
  const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  std::free(attributes);
  xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &mask);
}

}  // namespace

X11TraySelection::X11TraySelection(std::function<void(bool owned)> changed)
    : changed_(std::move(changed)) {
  const auto* x11 =
      qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11) return;
  connection_ = x11->connection();
  int screenNumber = 0;
  // Qt opened the display named by DISPLAY; its screen is the one asked for.
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
  if (const char* display = std::getenv("DISPLAY")) {
    const std::string name = display;
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && name.find(':') < dot)
      screenNumber = std::atoi(name.c_str() + dot + 1);
  }
  for (int i = 0; i < screenNumber && screens.rem > 1; ++i) xcb_screen_next(&screens);
  root_ = screens.data->root;
  selection_ = Intern(("_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber)).c_str());
  manager_ = Intern("MANAGER");
  SelectStructureNotify(connection_, root_);

  xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(
      connection_, xcb_get_selection_owner(connection_, selection_), nullptr);
  if (reply) {
    Follow(reply->owner);
    std::free(reply);
  }
  xcb_flush(connection_);
  QCoreApplication::instance()->installNativeEventFilter(this);
}

X11TraySelection::~X11TraySelection() {
  if (connection_ && QCoreApplication::instance())
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

std::uint32_t X11TraySelection::Intern(const char* name) const {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection_,
      xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
      nullptr);
  if (!reply) return 0;
  const std::uint32_t atom = reply->atom;
  std::free(reply);
  return atom;
}

void X11TraySelection::Follow(std::uint32_t owner) {
  owner_ = owner;
  // The owner window's destruction is the tray's end.
  if (owner_ != 0) SelectStructureNotify(connection_, owner_);
}

bool X11TraySelection::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t" || selection_ == 0) return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  switch (event->response_type & ~0x80) {
    case XCB_CLIENT_MESSAGE: {
      const auto* client = reinterpret_cast<const xcb_client_message_event_t*>(event);
      if (client->window != root_ || client->type != manager_ || client->format != 32 ||
          client->data.data32[1] != selection_)
        break;
      Follow(client->data.data32[2]);
      xcb_flush(connection_);
      changed_(Owned());
      break;
    }
    case XCB_DESTROY_NOTIFY: {
      const auto* destroyed = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
      if (owner_ == 0 || destroyed->window != owner_) break;
      owner_ = 0;
      changed_(false);
      break;
    }
    default:
      break;
  }
  return false;
}

}  // namespace halvoric
