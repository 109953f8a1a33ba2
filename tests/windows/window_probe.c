/* What Windows says of a program's window, for tests/windows/window.sh under Wine: the client
   area of the first visible top-level window whose title begins with TITLE, in physical pixels of
   the screen, and the system's DPI. Prints "client X Y WIDTH HEIGHT dpi DPI"; exit status 1 when
   there is no such window.
     window_probe.exe TITLE */
#include <windows.h>

#include <stdio.h>
#include <wchar.h>

typedef BOOL (WINAPI* SetContextFn)(HANDLE);
typedef UINT (WINAPI* DpiFn)(void);

struct Search {
    const wchar_t* title;
    HWND found;
};

static BOOL CALLBACK visit(HWND window, LPARAM data) {
    struct Search* search = (struct Search*)data;
    wchar_t title[256] = L"";
    if (!IsWindowVisible(window) || GetWindowTextW(window, title, 256) <= 0) return TRUE;
    if (wcsncmp(title, search->title, wcslen(search->title)) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    /* Physical pixels, whatever the system would give a program that does not say it knows DPI. */
    HMODULE user32 = LoadLibraryA("user32.dll");
    SetContextFn setContext = (SetContextFn)(void*)GetProcAddress(user32, "SetProcessDpiAwarenessContext");
    if (setContext != NULL) setContext((HANDLE)(INT_PTR)-4); /* per monitor, version 2 */
    struct Search search = {argv[1], NULL};
    EnumWindows(visit, (LPARAM)&search);
    if (search.found == NULL) return 1;
    RECT client;
    POINT origin = {0, 0};
    if (!GetClientRect(search.found, &client) || !ClientToScreen(search.found, &origin)) return 1;
    DpiFn systemDpi = (DpiFn)(void*)GetProcAddress(user32, "GetDpiForSystem");
    HDC screen = GetDC(NULL);
    const int dpi = systemDpi != NULL ? (int)systemDpi() : GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(NULL, screen);
    printf("client %ld %ld %ld %ld dpi %d\n", origin.x, origin.y, client.right - client.left,
           client.bottom - client.top, dpi);
    return 0;
}
