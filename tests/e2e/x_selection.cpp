#include "x_selection.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <thread>

bool RequestClose(const std::string& display, const std::string& windowId) {
  Display* x = XOpenDisplay(display.c_str());
  if (x == nullptr) return false;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = std::strtoul(windowId.c_str(), nullptr, 10);
  event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = long(XInternAtom(x, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const bool sent = XSendEvent(x, event.xclient.window, False, NoEventMask, &event) != 0;
  XSync(x, False);
  XCloseDisplay(x);
  return sent;
}

std::optional<std::string> PrimarySelection(const std::string& display, std::chrono::milliseconds timeout) {
  Display* x = XOpenDisplay(display.c_str());
  if (x == nullptr) return std::nullopt;
  const Window requestor = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 1, 1, 0, 0, 0);
  const Atom utf8 = XInternAtom(x, "UTF8_STRING", False);
  const Atom property = XInternAtom(x, "ORVELLE_TEST_SELECTION", False);
  XConvertSelection(x, XA_PRIMARY, utf8, property, requestor, CurrentTime);
  XFlush(x);
  std::optional<std::string> text;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  XEvent event;
  while (std::chrono::steady_clock::now() < deadline) {
    if (!XCheckTypedWindowEvent(x, requestor, SelectionNotify, &event)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      continue;
    }
    if (event.xselection.property == None) break;  // nobody owns the selection
    Atom type;
    int format;
    unsigned long items, remaining;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x, requestor, property, 0, 1 << 16, True, AnyPropertyType, &type, &format, &items,
                           &remaining, &data) == Success &&
        data != nullptr) {
      text = std::string(reinterpret_cast<char*>(data), items);
      XFree(data);
    }
    break;
  }
  XDestroyWindow(x, requestor);
  XCloseDisplay(x);
  return text;
}
