/* What a message box shows, for tests/windows/box.sh under Wine: the top-level window titled
   exactly TITLE, its title and the texts of its static controls (UTF-8), and whether the screen
   shows them. The screen's pixels over each static control must be those of its text drawn as a
   static control draws it in the system's message font; the title's, drawn in the caption font,
   must be found in the frame above the client area; and each different character outside ASCII,
   drawn alone in the same font, must differ from the others (characters drawn alike are the
   font's stand-in for characters it lacks, an empty square, not the text). Prints
     title TEXT
     title shown|NOT shown in the frame ...
     text CLASS TEXT
     shown N-OF-TOTAL CLASS          (N pixels differ)
     glyphs distinct ... | glyphs alike: X Y
   Exit status 0 when the box is there and all is shown; 1 otherwise; 3 when there is no box.
     box_probe.exe TITLE */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

static void printUtf8(const char* head, const wchar_t* text) {
    char bytes[4096] = {0};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes - 1, NULL, NULL);
    printf("%s%s\n", head, bytes);
}

struct Search {
    const wchar_t* title;
    HWND found;
};

static BOOL CALLBACK visitTop(HWND window, LPARAM data) {
    struct Search* search = (struct Search*)data;
    wchar_t title[512] = L"";
    if (!IsWindowVisible(window) || GetWindowTextW(window, title, 512) <= 0 || wcscmp(title, search->title) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

/* A bitmap of width x height that a DC draws into, its pixels readable. */
struct Canvas {
    HDC dc;
    HBITMAP bitmap, old;
    DWORD* pixels;
    int width, height;
};

static int makeCanvas(struct Canvas* c, int width, int height) {
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {{0, 0, 0, 0}}};
    void* bits = NULL;
    c->dc = CreateCompatibleDC(NULL);
    c->bitmap = CreateDIBSection(c->dc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    if (c->bitmap == NULL) return 0;
    c->old = (HBITMAP)SelectObject(c->dc, c->bitmap);
    c->pixels = (DWORD*)bits;
    c->width = width;
    c->height = height;
    return 1;
}

static void freeCanvas(struct Canvas* c) {
    SelectObject(c->dc, c->old);
    DeleteObject(c->bitmap);
    DeleteDC(c->dc);
}

static int failed = 0;
/* The font of the system's message boxes, which the box's texts are drawn in (a font handle of
   the box's own is the box's process's, not this one's). */
static HFONT messageFont;

/* The control's pixels on the screen against its own drawing: how many differ. */
static void compareShown(HWND control, const wchar_t* className) {
    RECT r;
    GetWindowRect(control, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    struct Canvas screen, drawn;
    if (w <= 0 || h <= 0 || !makeCanvas(&screen, w, h) || !makeCanvas(&drawn, w, h)) {
        printf("FAIL: no canvas for a control of %d x %d\n", w, h);
        failed = 1;
        return;
    }
    HDC desktop = GetDC(NULL);
    BitBlt(screen.dc, 0, 0, w, h, desktop, r.left, r.top, SRCCOPY);
    ReleaseDC(NULL, desktop);
    /* The text drawn as a static control draws it (its alignment and its flags, its font, the
       system's text colour) over the background the screen shows at the control's corner. */
    for (int i = 0; i < w * h; ++i) drawn.pixels[i] = screen.pixels[0];
    wchar_t text[1024] = L"";
    GetWindowTextW(control, text, 1024);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    UINT flags = DT_EXPANDTABS;
    switch (style & SS_TYPEMASK) {
        case SS_CENTER: flags |= DT_CENTER | DT_WORDBREAK; break;
        case SS_RIGHT: flags |= DT_RIGHT | DT_WORDBREAK; break;
        case SS_LEFTNOWORDWRAP: flags |= DT_LEFT; break;
        default: flags |= DT_LEFT | DT_WORDBREAK; break;
    }
    if (style & SS_NOPREFIX) flags |= DT_NOPREFIX;
    if (style & SS_EDITCONTROL) flags |= DT_EDITCONTROL;
    HGDIOBJ oldFont = SelectObject(drawn.dc, messageFont);
    SetTextColor(drawn.dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkMode(drawn.dc, TRANSPARENT);
    RECT inside = {0, 0, w, h};
    DrawTextW(drawn.dc, text, -1, &inside, flags);
    SelectObject(drawn.dc, oldFont);
    GdiFlush();
    int differing = 0;
    for (int i = 0; i < w * h; ++i) differing += (screen.pixels[i] & 0xFFFFFF) != (drawn.pixels[i] & 0xFFFFFF);
    char head[128];
    snprintf(head, sizeof head, "shown %d-of-%d ", differing, w * h);
    printUtf8(head, className);
    if (differing != 0) failed = 1;
    freeCanvas(&screen);
    freeCanvas(&drawn);
}

/* Each character of the text outside ASCII drawn alone in the font: no two alike. */
static void compareGlyphs(const wchar_t* text, HFONT font) {
    enum { kSize = 64, kMax = 64 };
    wchar_t seen[kMax];
    DWORD* shapes[kMax];
    int count = 0;
    for (const wchar_t* p = text; *p != 0 && count < kMax; ++p) {
        if (*p < 0x80 || wcschr(L"\x3000\xFF01\xFF08\xFF09", *p) != NULL) continue;
        int known = 0;
        for (int i = 0; i < count; ++i) known |= seen[i] == *p;
        if (known) continue;
        struct Canvas c;
        if (!makeCanvas(&c, kSize, kSize)) return;
        HGDIOBJ oldFont = SelectObject(c.dc, font);
        RECT all = {0, 0, kSize, kSize};
        FillRect(c.dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
        SetTextColor(c.dc, RGB(0, 0, 0));
        SetBkMode(c.dc, TRANSPARENT);
        DrawTextW(c.dc, p, 1, &all, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_SINGLELINE);
        GdiFlush();
        shapes[count] = (DWORD*)malloc(sizeof(DWORD) * kSize * kSize);
        memcpy(shapes[count], c.pixels, sizeof(DWORD) * kSize * kSize);
        seen[count++] = *p;
        SelectObject(c.dc, oldFont);
        freeCanvas(&c);
    }
    int alike = 0;
    for (int i = 0; i < count && !alike; ++i) {
        for (int j = i + 1; j < count && !alike; ++j) {
            if (memcmp(shapes[i], shapes[j], sizeof(DWORD) * kSize * kSize) == 0) {
                wchar_t pair[4] = {seen[i], L' ', seen[j], 0};
                printUtf8("glyphs alike: ", pair);
                alike = failed = 1;
            }
        }
    }
    if (!alike) printf("glyphs distinct (%d characters outside ASCII)\n", count);
    for (int i = 0; i < count; ++i) free(shapes[i]);
}

/* The most common colour of a canvas. */
static DWORD commonColour(const struct Canvas* c) {
    enum { kColours = 64 };
    DWORD colour[kColours];
    int count[kColours], used = 0, best = 0;
    for (int i = 0; i < c->width * c->height; ++i) {
        const DWORD v = c->pixels[i] & 0xFFFFFF;
        int k = 0;
        while (k < used && colour[k] != v) ++k;
        if (k == used) {
            if (used == kColours) continue;
            colour[used] = v;
            count[used++] = 0;
        }
        if (++count[k] > count[best]) best = k;
    }
    return used > 0 ? colour[best] : 0;
}

/* The title as the frame shows it (drawn by the system, not the box): drawn alone in the
   caption's font and text colour (active or not) over the caption's colour, found pixel for pixel
   somewhere in the frame above the client area. */
static void compareTitle(HWND box, const wchar_t* title, const LOGFONTW* captionFont) {
    RECT outer;
    POINT origin = {0, 0};
    GetWindowRect(box, &outer);
    ClientToScreen(box, &origin);
    const int w = outer.right - outer.left, h = origin.y - outer.top;
    SIZE size = {0, 0};
    struct Canvas frame, text;
    HFONT font = CreateFontIndirectW(captionFont);
    if (w <= 0 || h <= 0 || !makeCanvas(&frame, w, h)) {
        printf("FAIL: the box has no frame above its client area (%d x %d)\n", w, h);
        failed = 1;
        return;
    }
    HDC desktop = GetDC(NULL);
    BitBlt(frame.dc, 0, 0, w, h, desktop, outer.left, outer.top, SRCCOPY);
    ReleaseDC(NULL, desktop);
    GdiFlush();
    HGDIOBJ old = SelectObject(frame.dc, font);
    GetTextExtentPoint32W(frame.dc, title, (int)wcslen(title), &size);
    SelectObject(frame.dc, old);
    const DWORD background = commonColour(&frame);
    const int inks[2] = {COLOR_CAPTIONTEXT, COLOR_INACTIVECAPTIONTEXT};
    int found = 0;
    for (int which = 0; which < 2 && !found; ++which) {
        if (size.cx <= 0 || size.cy <= 0 || size.cx > w || size.cy > h || !makeCanvas(&text, size.cx, size.cy)) break;
        for (int i = 0; i < size.cx * size.cy; ++i) text.pixels[i] = background;
        old = SelectObject(text.dc, font);
        SetTextColor(text.dc, GetSysColor(inks[which]));
        SetBkMode(text.dc, TRANSPARENT);
        TextOutW(text.dc, 0, 0, title, (int)wcslen(title));
        SelectObject(text.dc, old);
        GdiFlush();
        for (int y = 0; y + size.cy <= h && !found; ++y) {
            for (int x = 0; x + size.cx <= w && !found; ++x) {
                int same = 1;
                for (int ty = 0; ty < size.cy && same; ++ty)
                    for (int tx = 0; tx < size.cx && same; ++tx)
                        same = (frame.pixels[(y + ty) * w + x + tx] & 0xFFFFFF) == (text.pixels[ty * size.cx + tx] & 0xFFFFFF);
                found = same;
            }
        }
        freeCanvas(&text);
    }
    printf("title %s in the frame (%ld x %ld pixels of text)\n", found ? "shown" : "NOT shown", size.cx, size.cy);
    if (!found) failed = 1;
    compareGlyphs(title, font);
    freeCanvas(&frame);
    DeleteObject(font);
}

static BOOL CALLBACK visitChild(HWND control, LPARAM data) {
    (void)data;
    wchar_t className[64] = L"", text[1024] = L"";
    GetClassNameW(control, className, 64);
    const LONG type = GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK;
    const int picture = wcscmp(className, L"Static") == 0 && (type == SS_ICON || type == SS_BITMAP);
    if (!IsWindowVisible(control) || picture || GetWindowTextW(control, text, 1024) <= 0) return TRUE;
    char head[96];
    char name[64] = {0};
    WideCharToMultiByte(CP_UTF8, 0, className, -1, name, sizeof name - 1, NULL, NULL);
    snprintf(head, sizeof head, "text %s ", name);
    printUtf8(head, text);
    if (wcscmp(className, L"Static") == 0) {
        compareShown(control, className);
        compareGlyphs(text, messageFont);
    }
    return TRUE;
}

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    struct Search search = {argv[1], NULL};
    EnumWindows(visitTop, (LPARAM)&search);
    if (search.found == NULL) return 3;
    NONCLIENTMETRICSW metrics;
    memset(&metrics, 0, sizeof metrics);
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return 1;
    messageFont = CreateFontIndirectW(&metrics.lfMessageFont);
    wchar_t title[512] = L"";
    GetWindowTextW(search.found, title, 512);
    printUtf8("title ", title);
    compareTitle(search.found, title, &metrics.lfCaptionFont);
    EnumChildWindows(search.found, visitChild, 0);
    return failed;
}
