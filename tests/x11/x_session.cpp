// The SDL programs under a private X server (tests/x11 only).
#include "x_session.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace {

std::vector<char*> CStrings(std::vector<std::string>& v) {
    std::vector<char*> out;
    for (auto& s : v) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

// The environment of this process with DISPLAY replaced and the extra entries added.
std::vector<std::string> Environment(const std::string& display, const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, "DISPLAY=", 8) != 0) env.emplace_back(*e);
    env.push_back("DISPLAY=" + display);
    for (const auto& e : extra) env.push_back(e);
    return env;
}

int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

XSession::~XSession() {
    for (pid_t p : children_) {
        if (kill(p, 0) == 0) {
            kill(p, SIGKILL);
            waitpid(p, nullptr, 0);
        }
    }
    if (x_ != nullptr) XCloseDisplay(x_);
    if (server_ > 0) {
        kill(server_, SIGTERM);
        waitpid(server_, nullptr, 0);
    }
}

bool XSession::Start(std::string& why, const std::string& screen) {
    int fds[2];
    if (pipe(fds) != 0) {
        why = "no pipe for Xvfb";
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The read end first: the pipe may have taken descriptor 3 itself.
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args{"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp"};
    auto argv = CStrings(args);
    int rc = posix_spawnp(&server_, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        server_ = 0;
        why = "Xvfb cannot be started (" + std::string(std::strerror(rc)) + "; scripts/setup-deps installs it)";
        return false;
    }
    // Xvfb writes the display number it took once it accepts connections.
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) {
        why = "Xvfb started but gave no display";
        return false;
    }
    display_ = ":" + number;
    x_ = XOpenDisplay(display_.c_str());
    if (x_ == nullptr) {
        why = "cannot connect to Xvfb on " + display_;
        return false;
    }
    XSetErrorHandler(IgnoreXErrors);
    return true;
}

pid_t XSession::Launch(const std::vector<std::string>& args, const std::vector<std::string>& extra,
                       const std::string& logPath) {
    std::vector<std::string> a = args;
    std::vector<std::string> env = Environment(display_, extra);
    auto argv = CStrings(a);
    auto envp = CStrings(env);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return 0;
    children_.push_back(pid);
    return pid;
}

int XSession::WaitExit(pid_t pid, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 10) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::erase(children_, pid);
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        SleepMs(10);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    std::erase(children_, pid);
    return -1;
}

unsigned long XSession::FindWindow(const std::string& title, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 20) {
        Window root = DefaultRootWindow(x_), parent = 0, *kids = nullptr;
        unsigned int count = 0;
        Window found = 0;
        if (XQueryTree(x_, root, &root, &parent, &kids, &count) != 0) {
            for (unsigned int i = 0; i < count && found == 0; ++i) {
                char* name = nullptr;
                XWindowAttributes attr;
                if (XFetchName(x_, kids[i], &name) != 0 && name != nullptr) {
                    if (title == name && XGetWindowAttributes(x_, kids[i], &attr) != 0 &&
                        attr.map_state == IsViewable)
                        found = kids[i];
                    XFree(name);
                }
            }
            if (kids != nullptr) XFree(kids);
        }
        if (found != 0) return found;
        SleepMs(20);
    }
    return 0;
}

namespace {

Window TransientOf(Display* x, Window parent, Window owner, int depth) {
    Window root = 0, up = 0, *kids = nullptr, found = 0;
    unsigned int count = 0;
    if (XQueryTree(x, parent, &root, &up, &kids, &count) == 0) return 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        Window forWindow = 0;
        XWindowAttributes attr;
        if (XGetTransientForHint(x, kids[i], &forWindow) != 0 && forWindow == owner &&
            XGetWindowAttributes(x, kids[i], &attr) != 0 && attr.map_state == IsViewable)
            found = kids[i];
        else if (depth > 0)
            found = TransientOf(x, kids[i], owner, depth - 1);
    }
    if (kids != nullptr) XFree(kids);
    return found;
}

}  // namespace

unsigned long XSession::FindTransient(unsigned long owner, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 20) {
        if (Window found = TransientOf(x_, DefaultRootWindow(x_), owner, 1)) return found;
        SleepMs(20);
    }
    return 0;
}

bool XSession::Viewable(unsigned long window) {
    XWindowAttributes attr;
    return XGetWindowAttributes(x_, window, &attr) != 0 && attr.map_state == IsViewable;
}

std::string XSession::Title(unsigned long window) {
    std::string title;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x_, window, XInternAtom(x_, "_NET_WM_NAME", False), 0, 1024, False,
                           XInternAtom(x_, "UTF8_STRING", False), &type, &format, &count, &after, &data) == Success &&
        data != nullptr) {
        if (format == 8) title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    if (title.empty()) {
        char* name = nullptr;
        if (XFetchName(x_, window, &name) != 0 && name != nullptr) {
            title = name;
            XFree(name);
        }
    }
    return title;
}

bool XSession::Geometry(unsigned long window, int& x, int& y, int& width, int& height) {
    XWindowAttributes attr;
    if (XGetWindowAttributes(x_, window, &attr) == 0) return false;
    Window child = 0;
    if (!XTranslateCoordinates(x_, window, DefaultRootWindow(x_), 0, 0, &x, &y, &child)) return false;
    width = attr.width;
    height = attr.height;
    return true;
}

std::vector<std::uint32_t> XSession::Capture(unsigned long window, int& width, int& height) {
    std::vector<std::uint32_t> pixels;
    int x = 0, y = 0;
    if (!Geometry(window, x, y, width, height)) return pixels;
    XImage* image = XGetImage(x_, window, 0, 0, width, height, AllPlanes, ZPixmap);
    if (image == nullptr) return pixels;
    pixels.resize(static_cast<std::size_t>(width) * height);
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col) {
            unsigned long p = XGetPixel(image, col, row);
            std::uint32_t r = (p & image->red_mask) >> __builtin_ctzl(image->red_mask);
            std::uint32_t g = (p & image->green_mask) >> __builtin_ctzl(image->green_mask);
            std::uint32_t b = (p & image->blue_mask) >> __builtin_ctzl(image->blue_mask);
            pixels[static_cast<std::size_t>(row) * width + col] = (r << 16) | (g << 8) | b;
        }
    XDestroyImage(image);
    return pixels;
}

void XSession::Close(unsigned long window) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(x_, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(x_, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(x_, window, False, NoEventMask, &e);
    XSync(x_, False);
}

unsigned long XSession::OpenOtherWindow() {
    Window w = XCreateSimpleWindow(x_, DefaultRootWindow(x_), 0, 0, 100, 100, 0, 0, 0);
    XStoreName(x_, w, "other");
    XMapWindow(x_, w);
    XSync(x_, False);
    return w;
}

void XSession::Focus(unsigned long window) {
    XSetInputFocus(x_, window, RevertToParent, CurrentTime);
    XSync(x_, False);
}

bool XSession::Xdo(const std::string& args) {
    std::string command = "DISPLAY=" + display_ + " xdotool " + args + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string LiveFile(const std::string& path) {
    const std::filesystem::path target(path);
    std::error_code ec;
    if (std::filesystem::exists(target, ec)) return path;
    const std::string prefix = target.filename().string() + ".part-";
    for (const auto& entry : std::filesystem::directory_iterator(target.parent_path(), ec))
        if (entry.path().filename().string().rfind(prefix, 0) == 0) return entry.path().string();
    return path;
}

double NumberField(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\":";
    const std::size_t p = line.find(key);
    if (p == std::string::npos) return -999;
    return std::strtod(line.c_str() + p + key.size(), nullptr);
}

void MouseField(const std::string& line, int& x, int& y) {
    x = y = -999;
    const std::size_t p = line.find("\"mouse\":[");
    if (p != std::string::npos) std::sscanf(line.c_str() + p + 9, "%d,%d", &x, &y);
}

std::vector<int> SoundsField(const std::string& line) {
    std::vector<int> out;
    std::size_t p = line.find("\"sounds\":[");
    if (p == std::string::npos) return out;
    const char* s = line.c_str() + p + 10;
    while (*s != ']' && *s != '\0') {
        char* end = nullptr;
        long v = std::strtol(s, &end, 10);
        if (end == s) break;
        out.push_back(static_cast<int>(v));
        s = end;
        if (*s == ',') ++s;
    }
    return out;
}

double CpuMs(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The fields after the command name (which may hold spaces) start after its ')'.
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    unsigned long utime = 0, stime = 0;
    const char* s = stat.c_str() + close + 2;
    // state ppid pgrp session tty tpgid flags minflt cminflt majflt cmajflt utime stime
    if (std::sscanf(s, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime) != 2) return -1;
    return (utime + stime) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}
