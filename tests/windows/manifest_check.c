/* The Windows programs' manifest as a program finds it in itself: linked with the resources of
   packaging/windows/quorbix.rc and run under Wine by tests/windows/manifest.sh. Exit status 0
   when the manifest is there and declares long paths. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

int main(void) {
    HRSRC found = FindResourceA(NULL, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (found == NULL) {
        printf("FAIL: no manifest\n");
        return 1;
    }
    const DWORD size = SizeofResource(NULL, found);
    const char* bytes = (const char*)LockResource(LoadResource(NULL, found));
    char text[8192] = {0};
    memcpy(text, bytes, size < sizeof text - 1 ? size : sizeof text - 1);
    if (strstr(text, ">true</longPathAware>") == NULL) {
        printf("FAIL: the manifest (%lu bytes) does not declare long paths\n", (unsigned long)size);
        return 1;
    }
    printf("the manifest declares long paths\n");
    return 0;
}
