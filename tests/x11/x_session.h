// The SDL programs under a private X server: starting the server and the program, the window,
// its pixels, input through xdotool, and the program's trace (tests/x11 only).
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

struct _XDisplay;

class XSession {
public:
    XSession() = default;
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;
    ~XSession();

    // Starts Xvfb on a free display with a screen of this size ("WxHxDEPTH"). False with the
    // reason when it cannot.
    bool Start(std::string& why, const std::string& screen = "1024x768x24");
    const std::string& DisplayName() const { return display_; }

    // Starts a program with DISPLAY set and the extra environment entries ("NAME=value"); its
    // output goes to logPath. Returns its process id.
    pid_t Launch(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                 const std::string& logPath);
    // Waits for the program's exit status (-1 on a timeout, after which it is killed).
    int WaitExit(pid_t pid, int timeoutMs);

    // The top-level window with this title, waiting for it to be mapped; 0 on a timeout.
    unsigned long FindWindow(const std::string& title, int timeoutMs);
    // A mapped window (top-level, or a client inside a manager's frame) whose transient-for hint
    // names `owner`, as a program's dialog box does; 0 on a timeout.
    unsigned long FindTransient(unsigned long owner, int timeoutMs);
    // Whether the window still exists and is mapped.
    bool Viewable(unsigned long window);
    // The window's title as UTF-8 (the desktop's UTF-8 name, else the classic one).
    std::string Title(unsigned long window);
    // The window's client area on the screen.
    bool Geometry(unsigned long window, int& x, int& y, int& width, int& height);
    // The window's pixels as 0x00RRGGBB, top row first.
    std::vector<std::uint32_t> Capture(unsigned long window, int& width, int& height);
    // What a window manager's close button does: WM_DELETE_WINDOW to the window.
    void Close(unsigned long window);
    // Another window, mapped, to take the focus away; and the focus given to a window.
    unsigned long OpenOtherWindow();
    void Focus(unsigned long window);

    // Runs xdotool with these arguments; false when it failed.
    bool Xdo(const std::string& args);

private:
    std::string display_;
    pid_t server_ = 0;
    _XDisplay* x_ = nullptr;
    std::vector<pid_t> children_;
};

// The lines of a trace file (the backend line included).
std::vector<std::string> ReadLines(const std::string& path);
// The file a running program writes `path` through: the temporary path.part-XXXXXX beside it
// until the program ends, then path itself.
std::string LiveFile(const std::string& path);
// A number field of a trace line (integer or decimal); -999 when absent.
double NumberField(const std::string& line, const std::string& name);
// The mouse point of a trace line.
void MouseField(const std::string& line, int& x, int& y);
// The sound slots started in a frame.
std::vector<int> SoundsField(const std::string& line);
// Processor time a process has used so far, in milliseconds.
double CpuMs(pid_t pid);
void SleepMs(int ms);
