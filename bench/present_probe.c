/* bench-frame's start-up probe, preloaded into the SDL program. The program shows each frame by
 * uploading it with SDL_UpdateTexture and presenting; a picture is shown before the first frame
 * too (the empty desktop, all black). After the first SDL_RenderPresent that follows the upload
 * of a picture that is not all black, the probe writes one byte to the descriptor named by
 * QRB_PRESENT_PROBE_FD and ends the process, so the parent can time the start-up to the first
 * presented frame. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <stdlib.h>
#include <unistd.h>

typedef struct SDL_Renderer SDL_Renderer;
typedef struct SDL_Texture SDL_Texture;
typedef struct SDL_Rect SDL_Rect;

static int picture_uploaded = 0;

int SDL_QueryTexture(SDL_Texture* texture, uint32_t* format, int* access, int* w, int* h);

int SDL_UpdateTexture(SDL_Texture* texture, const SDL_Rect* rect, const void* pixels, int pitch) {
    int (*real)(SDL_Texture*, const SDL_Rect*, const void*, int) =
        (int (*)(SDL_Texture*, const SDL_Rect*, const void*, int))dlsym(RTLD_NEXT, "SDL_UpdateTexture");
    int w = 0, h = 0;
    if (!picture_uploaded && rect == NULL && pixels != NULL && SDL_QueryTexture(texture, NULL, NULL, &w, &h) == 0) {
        /* The program's textures are 32 bits a pixel. */
        for (int y = 0; y < h && !picture_uploaded; ++y) {
            const uint32_t* row = (const uint32_t*)((const uint8_t*)pixels + (size_t)y * pitch);
            for (int x = 0; x < w; ++x)
                if ((row[x] & 0xFFFFFFu) != 0) {
                    picture_uploaded = 1;
                    break;
                }
        }
    }
    return real != NULL ? real(texture, rect, pixels, pitch) : -1;
}

void SDL_RenderPresent(SDL_Renderer* renderer) {
    void (*real)(SDL_Renderer*) = (void (*)(SDL_Renderer*))dlsym(RTLD_NEXT, "SDL_RenderPresent");
    if (real != NULL) real(renderer);
    const char* fd = getenv("QRB_PRESENT_PROBE_FD");
    if (fd != NULL && picture_uploaded) {
        char byte = 1;
        if (write(atoi(fd), &byte, 1) != 1) _exit(3);
        _exit(0);
    }
}
