/* The Windows programs' manifest as the system finds it, run under Wine by
   tests/windows/manifest.sh. Without arguments: this program's own manifest (it is linked with the
   resources of packaging/windows/quorbix.rc), and the DPI awareness the system gave the process
   from it. With arguments: the manifest embedded in each program named (loaded as data, not run).
   Exit status 0 when every manifest declares long paths and per-monitor DPI awareness with its
   fallbacks. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

/* What the manifest must say, each a piece of its text. */
static const char* const kDeclared[] = {
    ">true</longPathAware>",
    ">true/pm</dpiAware>",
    ">PerMonitorV2, PerMonitor</dpiAwareness>",
};

static int checkManifest(HMODULE module, const char* what) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (found == NULL) {
        printf("FAIL: %s holds no manifest\n", what);
        return 1;
    }
    const DWORD size = SizeofResource(module, found);
    const char* bytes = (const char*)LockResource(LoadResource(module, found));
    char text[8192] = {0};
    if (bytes == NULL) {
        printf("FAIL: %s: the manifest cannot be read\n", what);
        return 1;
    }
    memcpy(text, bytes, size < sizeof text - 1 ? size : sizeof text - 1);
    int failed = 0;
    for (size_t i = 0; i < sizeof kDeclared / sizeof kDeclared[0]; ++i) {
        if (strstr(text, kDeclared[i]) == NULL) {
            printf("FAIL: the manifest of %s (%lu bytes) lacks %s\n", what, (unsigned long)size, kDeclared[i]);
            failed = 1;
        }
    }
    if (!failed) printf("%s: the manifest declares long paths and per-monitor DPI awareness\n", what);
    return failed;
}

/* The awareness the system gave this process from its manifest: per monitor. Asked through
   user32's own functions, looked up by name (older systems lack them). Wine makes every process
   aware of each monitor, manifest or none: there this only catches a system that refuses it. */
typedef void* (WINAPI* ThreadContextFn)(void);
typedef int (WINAPI* AwarenessFn)(void*);

static int checkAwareness(void) {
    HMODULE user32 = LoadLibraryA("user32.dll");
    ThreadContextFn threadContext = (ThreadContextFn)(void*)GetProcAddress(user32, "GetThreadDpiAwarenessContext");
    AwarenessFn awareness = (AwarenessFn)(void*)GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext");
    if (threadContext == NULL || awareness == NULL) {
        printf("this system does not say its DPI awareness\n");
        return 0;
    }
    const int got = awareness(threadContext());   /* 0 unaware, 1 system, 2 per monitor */
    if (got != 2) {
        printf("FAIL: the process runs with DPI awareness %d, not per monitor (2)\n", got);
        return 1;
    }
    printf("the process is aware of each monitor's DPI\n");
    return 0;
}

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return checkManifest(NULL, "this program") | checkAwareness();
    int failed = 0;
    for (int i = 1; i < argc; ++i) {
        char what[MAX_PATH * 3] = {0};
        WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, what, sizeof what - 1, NULL, NULL);
        HMODULE module = LoadLibraryExW(argv[i], NULL, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        if (module == NULL) {
            printf("FAIL: %s cannot be loaded (error %lu)\n", what, GetLastError());
            failed = 1;
            continue;
        }
        failed |= checkManifest(module, what);
        FreeLibrary(module);
    }
    return failed;
}
