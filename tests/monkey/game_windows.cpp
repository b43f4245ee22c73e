#include "monkey/game_windows.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <optional>

namespace kwinta::monkey {

namespace {

// A property of one window as raw items; empty when it has none.
// (Xlib keeps interned atoms, so asking for them again costs no round trip.)
std::vector<unsigned char> Property(Display* d, ::Window w, Atom name, Atom type, int& format,
                                    unsigned long& count) {
  Atom actual = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  count = 0;
  if (XGetWindowProperty(d, w, name, 0, 1024, False, type, &actual, &format, &count, &after,
                         &data) != Success ||
      data == nullptr) {
    return {};
  }
  const size_t bytes = count * (format == 32 ? sizeof(long) : format / 8);
  std::vector<unsigned char> out(data, data + bytes);
  XFree(data);
  return out;
}

std::optional<pid_t> PidOf(Display* d, ::Window w) {
  const Atom kPid = XInternAtom(d, "_NET_WM_PID", False);
  int format = 0;
  unsigned long count = 0;
  auto data = Property(d, w, kPid, XA_CARDINAL, format, count);
  if (format != 32 || count != 1) return std::nullopt;
  return static_cast<pid_t>(*reinterpret_cast<const long*>(data.data()));
}

std::string NameOf(Display* d, ::Window w) {
  const Atom kName = XInternAtom(d, "_NET_WM_NAME", False);
  const Atom kUtf8 = XInternAtom(d, "UTF8_STRING", False);
  int format = 0;
  unsigned long count = 0;
  auto data = Property(d, w, kName, kUtf8, format, count);
  if (data.empty()) data = Property(d, w, XA_WM_NAME, XA_STRING, format, count);
  return std::string(data.begin(), data.end());
}

// Without a window manager the game's windows are the root's children; with
// one they sit a level or two further down, inside its frames.
void Collect(Display* d, ::Window parent, pid_t pid, int depth, std::vector<GameWindow>& out) {
  ::Window root = 0, up = 0, *children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(d, parent, &root, &up, &children, &n)) return;
  std::vector<::Window> list(children, children + n);
  if (children) XFree(children);
  for (::Window w : list) {
    std::optional<pid_t> owner = PidOf(d, w);
    if (!owner) {
      if (depth < 2) Collect(d, w, pid, depth + 1, out);
      continue;
    }
    if (*owner != pid) continue;
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, w, &a)) continue;
    GameWindow g;
    g.id = w;
    g.name = NameOf(d, w);
    g.width = a.width;
    g.height = a.height;
    g.mapped = a.map_state == IsViewable;
    ::Window child = 0;
    if (!XTranslateCoordinates(d, w, root, 0, 0, &g.x, &g.y, &child)) continue;
    out.push_back(std::move(g));
  }
}

}  // namespace

std::vector<GameWindow> WindowsOf(Display* display, pid_t pid) {
  std::vector<GameWindow> out;
  Collect(display, DefaultRootWindow(display), pid, 0, out);
  return out;
}

}  // namespace kwinta::monkey
