// SPDX-License-Identifier: GPL-3.0-or-later
// startup_probe: starts a program on the X display and measures its start.
//
//   startup_probe [--settle MS] [--idle MS] [--no-window] [--tray] [--wayland]
//                 [--timeout MS] -- PROGRAM [ARGS...]
//
// Times are taken from the moment the program's exec succeeded (a
// close-on-exec pipe tells it) to the MapNotify of its top-level window and to
// the first DamageNotify on that window after the map: the first time the
// program's own picture reached the window. The probe watches the root
// window's substructure, so it sees each new top-level window being created
// and puts a damage object on it before anything can be drawn there.
//
// At MS (--settle, default 3000) after the exec it reads the program's
// resident memory (Rss and Pss of /proc/PID/smaps_rollup) and the CPU time of
// all its threads (/proc/PID/task/*/schedstat). With --idle it then counts
// the context switches and the runs on a CPU of all its threads over that
// many milliseconds, during which nothing is sent to it. --no-window measures
// a program that shows no window (the times are then absent). --tray makes
// the probe own the X11 system-tray selection, so that a program can see a
// tray (nothing is ever docked in it) and start hidden in it.
//
// --wayland measures a program on the Wayland display instead: it runs with
// WAYLAND_DEBUG=client and its standard error on a pipe the probe reads, and
// the first paint is the first commit of its top-level surface (the surface
// of its first xdg_toplevel) with a buffer attached, timed when the line
// arrives. There is no map time on Wayland.
//
// Prints one line of key=value pairs on stdout; exits 0 when everything asked
// for was measured.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <dirent.h>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  long settleMs = 3000;
  long idleMs = 0;
  long timeoutMs = 20000;
  bool window = true;
  bool tray = false;
  bool wayland = false;
  std::vector<char*> command;
};

[[noreturn]] void usage() {
  std::fputs(
      "usage: startup_probe [--settle MS] [--idle MS] [--no-window] [--tray] [--wayland] [--timeout MS] -- "
      "PROGRAM [ARGS...]\n",
      stderr);
  std::exit(2);
}

Options parse(int argc, char** argv) {
  Options o;
  int i = 1;
  auto number = [&](const char* name) {
    if (i + 1 >= argc) usage();
    char* end = nullptr;
    const long v = std::strtol(argv[++i], &end, 10);
    if (*end != '\0' || v < 0) {
      std::fprintf(stderr, "startup_probe: bad value for %s\n", name);
      std::exit(2);
    }
    return v;
  };
  for (; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--") {
      ++i;
      break;
    }
    if (a == "--settle")
      o.settleMs = number("--settle");
    else if (a == "--idle")
      o.idleMs = number("--idle");
    else if (a == "--timeout")
      o.timeoutMs = number("--timeout");
    else if (a == "--no-window")
      o.window = false;
    else if (a == "--tray")
      o.tray = true;
    else if (a == "--wayland")
      o.wayland = true;
    else
      usage();
  }
  for (; i < argc; ++i) o.command.push_back(argv[i]);
  if (o.command.empty()) usage();
  o.command.push_back(nullptr);
  return o;
}

double msSince(Clock::time_point t0, Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(t - t0).count();
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t a = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(r);
  return a;
}

// _NET_WM_PID of a window, when it has one.
std::optional<uint32_t> windowPid(xcb_connection_t* c, xcb_window_t w, xcb_atom_t pidAtom) {
  xcb_get_property_reply_t* r =
      xcb_get_property_reply(c, xcb_get_property(c, 0, w, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
  std::optional<uint32_t> pid;
  if (r && r->format == 32 && xcb_get_property_value_length(r) == 4)
    pid = *static_cast<uint32_t*>(xcb_get_property_value(r));
  std::free(r);
  return pid;
}

// Owns the system-tray selection of the first screen and announces it.
void becomeTray(xcb_connection_t* c, xcb_screen_t* screen) {
  const xcb_window_t w = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    XCB_COPY_FROM_PARENT, 0, nullptr);
  const xcb_atom_t selection = atom(c, "_NET_SYSTEM_TRAY_S0");
  xcb_set_selection_owner(c, w, selection, XCB_CURRENT_TIME);
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = screen->root;
  ev.type = atom(c, "MANAGER");
  ev.data.data32[0] = XCB_CURRENT_TIME;
  ev.data.data32[1] = selection;
  ev.data.data32[2] = w;
  xcb_send_event(c, 0, screen->root, XCB_EVENT_MASK_STRUCTURE_NOTIFY, reinterpret_cast<const char*>(&ev));
  xcb_flush(c);
}

struct TaskCounts {
  uint64_t cpuNs = 0;     // time on a CPU
  uint64_t runs = 0;      // times a thread was put on a CPU
  uint64_t switches = 0;  // voluntary + involuntary context switches
};

// Sums over every thread of pid.
TaskCounts taskCounts(pid_t pid) {
  TaskCounts t;
  const std::string base = "/proc/" + std::to_string(pid) + "/task";
  DIR* d = opendir(base.c_str());
  if (d == nullptr) return t;
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] == '.') continue;
    const std::string dir = base + "/" + e->d_name;
    if (std::FILE* f = std::fopen((dir + "/schedstat").c_str(), "r")) {
      unsigned long long run = 0, wait = 0, slices = 0;
      if (std::fscanf(f, "%llu %llu %llu", &run, &wait, &slices) == 3) {
        t.cpuNs += run;
        t.runs += slices;
      }
      std::fclose(f);
    }
    if (std::FILE* f = std::fopen((dir + "/status").c_str(), "r")) {
      char line[256];
      while (std::fgets(line, sizeof line, f)) {
        unsigned long long n = 0;
        if (std::sscanf(line, "voluntary_ctxt_switches: %llu", &n) == 1 ||
            std::sscanf(line, "nonvoluntary_ctxt_switches: %llu", &n) == 1)
          t.switches += n;
      }
      std::fclose(f);
    }
  }
  closedir(d);
  return t;
}

// Rss and Pss in KiB.
bool residentMemory(pid_t pid, long& rss, long& pss) {
  std::FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/smaps_rollup").c_str(), "r");
  if (f == nullptr) return false;
  rss = pss = -1;
  char line[256];
  while (std::fgets(line, sizeof line, f)) {
    long v = 0;
    if (std::sscanf(line, "Rss: %ld kB", &v) == 1) rss = v;
    if (std::sscanf(line, "Pss: %ld kB", &v) == 1) pss = v;
  }
  std::fclose(f);
  return rss >= 0 && pss >= 0;
}

class Watcher {
 public:
  Watcher(xcb_connection_t* c, xcb_screen_t* s, uint8_t damageEvent)
      : c_(c), root_(s->root), damageNotify_(static_cast<uint8_t>(damageEvent + XCB_DAMAGE_NOTIFY)) {
    pidAtom_ = atom(c, "_NET_WM_PID");
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
  }

  void setPid(pid_t pid) { pid_ = pid; }
  std::optional<Clock::time_point> mapped, painted;

  // Handles the queued events; false when the connection broke.
  bool drain() {
    while (xcb_generic_event_t* ev = xcb_poll_for_event(c_)) {
      handle(ev, Clock::now());
      std::free(ev);
    }
    return xcb_connection_has_error(c_) == 0;
  }
  int fd() const { return xcb_get_file_descriptor(c_); }

 private:
  void handle(xcb_generic_event_t* ev, Clock::time_point now) {
    const uint8_t type = ev->response_type & 0x7f;
    if (type == XCB_CREATE_NOTIFY) {
      const auto* e = reinterpret_cast<xcb_create_notify_event_t*>(ev);
      if (e->parent != root_ || e->override_redirect) return;
      const xcb_damage_damage_t d = xcb_generate_id(c_);
      xcb_damage_create(c_, d, e->window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
      xcb_flush(c_);
      damages_[e->window] = d;
    } else if (type == XCB_MAP_NOTIFY) {
      const auto* e = reinterpret_cast<xcb_map_notify_event_t*>(ev);
      if (mapped || e->event != root_ || e->override_redirect || !damages_.count(e->window)) return;
      const std::optional<uint32_t> pid = windowPid(c_, e->window, pidAtom_);
      if (pid && static_cast<pid_t>(*pid) != pid_) return;
      mapped = now;
      target_ = e->window;
    } else if (type == damageNotify_) {
      const auto* e = reinterpret_cast<xcb_damage_notify_event_t*>(ev);
      if (mapped && !painted && e->drawable == target_) painted = now;
    }
  }

  xcb_connection_t* c_;
  xcb_window_t root_;
  uint8_t damageNotify_;
  xcb_atom_t pidAtom_ = XCB_ATOM_NONE;
  pid_t pid_ = 0;
  xcb_window_t target_ = XCB_WINDOW_NONE;
  std::map<xcb_window_t, xcb_damage_damage_t> damages_;
};

// Follows a Wayland client's own protocol log (WAYLAND_DEBUG=client) line by
// line: which wl_surface became the first xdg_toplevel, and when that surface
// was first committed with a buffer attached.
class WaylandWatcher {
 public:
  explicit WaylandWatcher(int fd) : fd_(fd) { fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK); }

  std::optional<Clock::time_point> mapped, painted;

  // Reads what the program wrote; false once its end of the pipe closed.
  bool drain() {
    char chunk[4096];
    for (;;) {
      const ssize_t n = read(fd_, chunk, sizeof chunk);
      if (n == 0) return false;
      if (n < 0) return errno == EAGAIN || errno == EINTR;
      const Clock::time_point now = Clock::now();
      pending_.append(chunk, static_cast<std::size_t>(n));
      std::size_t end;
      while ((end = pending_.find('\n')) != std::string::npos) {
        if (!painted) line(pending_.substr(0, end), now);
        pending_.erase(0, end + 1);
      }
    }
  }
  int fd() const { return fd_; }

 private:
  // "[stamp]  -> interface@id.request(arguments)": the requests the client sent.
  void line(const std::string& l, Clock::time_point now) {
    const std::size_t arrow = l.find(" -> ");
    if (arrow == std::string::npos) return;
    const std::size_t open = l.find('(', arrow);
    if (open == std::string::npos) return;
    const std::string target = l.substr(arrow + 4, open - arrow - 4);  // interface@id.request
    const std::string args = l.substr(open);
    const std::size_t dot = target.rfind('.');
    if (dot == std::string::npos) return;
    const std::string object = target.substr(0, dot), request = target.substr(dot + 1);
    if (request == "get_xdg_surface") {
      // (new id xdg_surface@X, wl_surface@S)
      const std::size_t x = args.find("xdg_surface@"), s = args.find("wl_surface@");
      if (x != std::string::npos && s != std::string::npos)
        xdgSurfaces_[args.substr(x, args.find(',', x) - x)] = args.substr(s, args.find(')', s) - s);
    } else if (request == "get_toplevel" && toplevel_.empty() && xdgSurfaces_.count(object)) {
      toplevel_ = xdgSurfaces_[object];
    } else if (object == toplevel_ && request == "attach") {
      attached_ = args.find("wl_buffer@") != std::string::npos;
    } else if (object == toplevel_ && request == "commit" && attached_) {
      painted = now;
    }
  }

  int fd_;
  std::string pending_;
  std::map<std::string, std::string> xdgSurfaces_;
  std::string toplevel_;
  bool attached_ = false;
};

// Starts the command; returns its pid and sets t0 to the moment its exec
// succeeded. With errFd >= 0 the program's standard error goes there.
pid_t launch(std::vector<char*>& command, Clock::time_point& t0, int errFd = -1) {
  int p[2];
  if (pipe2(p, O_CLOEXEC) != 0) {
    std::perror("startup_probe: pipe2");
    std::exit(1);
  }
  const pid_t pid = fork();
  if (pid < 0) {
    std::perror("startup_probe: fork");
    std::exit(1);
  }
  if (pid == 0) {
    close(p[0]);
    if (errFd >= 0) dup2(errFd, STDERR_FILENO);
    execvp(command[0], command.data());
    const int err = errno;
    (void)!write(p[1], &err, sizeof err);
    _exit(127);
  }
  close(p[1]);
  int err = 0;
  ssize_t n;
  do {
    n = read(p[0], &err, sizeof err);
  } while (n < 0 && errno == EINTR);
  t0 = Clock::now();
  close(p[0]);
  if (n > 0) {
    std::fprintf(stderr, "startup_probe: cannot run %s: %s\n", command[0], std::strerror(err));
    waitpid(pid, nullptr, 0);
    std::exit(1);
  }
  return pid;
}

// Handles the watcher's events until the deadline or until done() holds.
template <typename W, typename Done>
void waitUntil(W& w, Clock::time_point deadline, Done done) {
  while (!done()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return;
    pollfd pfd{w.fd(), POLLIN, 0};
    poll(&pfd, 1, static_cast<int>(left));
    if (!w.drain()) return;
  }
}

bool alive(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == 0; }

// The measurement of one start, once the watcher knows the program's pid.
template <typename W>
int measure(const Options& o, W& w, pid_t pid, Clock::time_point t0) {
  bool ok = true;
  if (o.window) {
    waitUntil(w, t0 + std::chrono::milliseconds(o.timeoutMs),
              [&] { return w.painted.has_value() || !alive(pid); });
    if (!w.painted) {
      std::fputs("startup_probe: no painted window\n", stderr);
      ok = false;
    }
  }
  waitUntil(w, t0 + std::chrono::milliseconds(o.settleMs), [] { return false; });
  long rss = -1, pss = -1;
  if (!alive(pid) || !residentMemory(pid, rss, pss)) {
    std::fputs("startup_probe: the program ended before it was measured\n", stderr);
    return 1;
  }
  const TaskCounts atSettle = taskCounts(pid);
  std::printf("rss_kib=%ld pss_kib=%ld cpu_ms=%.1f", rss, pss, static_cast<double>(atSettle.cpuNs) / 1e6);
  if (w.mapped) std::printf(" map_ms=%.2f", msSince(t0, *w.mapped));
  if (w.painted) std::printf(" paint_ms=%.2f", msSince(t0, *w.painted));
  if (o.idleMs > 0) {
    waitUntil(w, Clock::now() + std::chrono::milliseconds(o.idleMs), [] { return false; });
    const TaskCounts after = taskCounts(pid);
    std::printf(" idle_switches=%llu idle_runs=%llu idle_cpu_ms=%.2f",
                static_cast<unsigned long long>(after.switches - atSettle.switches),
                static_cast<unsigned long long>(after.runs - atSettle.runs),
                static_cast<double>(after.cpuNs - atSettle.cpuNs) / 1e6);
  }
  std::printf("\n");
  std::fflush(stdout);
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options o = parse(argc, argv);
  if (o.wayland) {
    int err[2];
    if (pipe2(err, O_CLOEXEC) != 0) {
      std::perror("startup_probe: pipe2");
      return 1;
    }
    ::setenv("WAYLAND_DEBUG", "client", 1);
    WaylandWatcher w(err[0]);
    Clock::time_point t0;
    const pid_t pid = launch(o.command, t0, err[1]);
    close(err[1]);
    return measure(o, w, pid, t0);
  }
  int screenNo = 0;
  xcb_connection_t* c = xcb_connect(nullptr, &screenNo);
  if (xcb_connection_has_error(c)) {
    std::fputs("startup_probe: cannot open the X display\n", stderr);
    return 1;
  }
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_query_extension_reply_t* damage = xcb_get_extension_data(c, &xcb_damage_id);
  if (damage == nullptr || !damage->present) {
    std::fputs("startup_probe: the X server has no DAMAGE extension\n", stderr);
    return 1;
  }
  std::free(xcb_damage_query_version_reply(
      c, xcb_damage_query_version(c, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION), nullptr));
  if (o.tray) becomeTray(c, screen);

  Watcher w(c, screen, damage->first_event);
  Clock::time_point t0;
  const pid_t pid = launch(o.command, t0);
  w.setPid(pid);
  const int result = measure(o, w, pid, t0);
  xcb_disconnect(c);
  return result;
}
