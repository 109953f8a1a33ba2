// Starts a program as Windows' command prompt starts a window program: the program gets no
// console and no standard handles of its own (DETACHED_PROCESS; Wine's command prompt would hand
// its console down), while this launcher's console stays its parent's. Waits for it and exits
// with its status (120 when it cannot be started). With --no-console first, the launcher lets go
// of its console before: the program is started as a double-click in Explorer starts it, with no
// console anywhere to attach to.
//   console_launch.exe [--no-console] PROGRAM [ARGS...]
#include <windows.h>

#include <stdio.h>
#include <wchar.h>

int wmain(int argc, wchar_t** argv) {
    wchar_t line[8192] = L"";
    size_t used = 0;
    int first = 1;
    if (argc > 1 && wcscmp(argv[1], L"--no-console") == 0) {
        FreeConsole();
        first = 2;
    }
    for (int i = first; i < argc; ++i) {
        const size_t n = wcslen(argv[i]);
        if (used + n + 4 >= sizeof line / sizeof line[0]) return 120;
        used += swprintf(line + used, sizeof line / sizeof line[0] - used, L"%ls\"%ls\"", i > first ? L" " : L"", argv[i]);
    }
    STARTUPINFOW start = {sizeof start};
    PROCESS_INFORMATION process;
    if (!CreateProcessW(NULL, line, NULL, NULL, FALSE, DETACHED_PROCESS, NULL, NULL, &start, &process)) {
        fprintf(stderr, "console_launch: cannot start the program (error %lu)\n", GetLastError());
        return 120;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 120;
    GetExitCodeProcess(process.hProcess, &status);
    return (int)status;
}
