// Platform: the blit and fill loops. The colour-keyed copy is the framework's hot path (every
// sprite goes through it), so it compares and selects whole vectors of pixels: AVX-512 or AVX2
// where the processor has them, SSE2 everywhere else on x86-64, NEON on 64-bit ARM (every such
// processor has it), plain loops elsewhere.
#include "platform/video/blit.h"

#include <cstring>
#include <string>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define QRB_X86 1
#elif defined(__aarch64__) && defined(__ARM_NEON)
#include <arm_neon.h>
#define QRB_NEON 1
#endif

namespace platform {
namespace {

std::uint8_t* pixelAt(const PixelView& v, int x, int y) {
    return v.pixels + static_cast<std::ptrdiff_t>(y) * v.pitch +
           static_cast<std::ptrdiff_t>(x) * bytesPerPixel(v.format);
}

// ---------------------------------------------------------------- plain loops

template <typename T>
void keyedRowScalar(T* d, const T* s, int w, T key, T mask) {
    for (int i = 0; i < w; ++i) {
        T p = s[i];
        if ((p & mask) != key) d[i] = p;
    }
}

void keyedRow24(std::uint8_t* d, const std::uint8_t* s, int w, std::uint32_t key) {
    const std::uint8_t k0 = key & 0xFF, k1 = (key >> 8) & 0xFF, k2 = (key >> 16) & 0xFF;
    for (int i = 0; i < w; ++i, d += 3, s += 3) {
        if (s[0] != k0 || s[1] != k1 || s[2] != k2) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
    }
}

void keyedScalar(const PixelView& dst, int dx, int dy, const PixelView& src, int sx, int sy, int w,
                 int h, std::uint32_t key) {
    for (int y = 0; y < h; ++y) {
        std::uint8_t* d = pixelAt(dst, dx, dy + y);
        const std::uint8_t* s = pixelAt(src, sx, sy + y);
        switch (dst.format) {
            case PixelFormat::RGB565:
                keyedRowScalar<std::uint16_t>(reinterpret_cast<std::uint16_t*>(d),
                                              reinterpret_cast<const std::uint16_t*>(s), w,
                                              static_cast<std::uint16_t>(key), 0xFFFF);
                break;
            case PixelFormat::RGB888:
                keyedRow24(d, s, w, key);
                break;
            case PixelFormat::XRGB8888:
                keyedRowScalar<std::uint32_t>(reinterpret_cast<std::uint32_t*>(d),
                                              reinterpret_cast<const std::uint32_t*>(s), w, key,
                                              0x00FFFFFFu);
                break;
        }
    }
}

#ifdef QRB_X86
// ---------------------------------------------------------------- SSE2 (every x86-64)

// One vector of pixels: where the source equals the key keep the destination, else take the
// source. Working on the last vector of a row a second time (overlapping the one before) gives
// the same result, so rows of any width >= one vector need no scalar tail.
inline void keyed32Sse2(std::uint32_t* d, const std::uint32_t* s, __m128i key, __m128i mask) {
    __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
    __m128i eq = _mm_cmpeq_epi32(_mm_and_si128(sv, mask), key);
    __m128i r = _mm_or_si128(_mm_and_si128(eq, dv), _mm_andnot_si128(eq, sv));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), r);
}

inline void keyed16Sse2(std::uint16_t* d, const std::uint16_t* s, __m128i key) {
    __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
    __m128i eq = _mm_cmpeq_epi16(sv, key);
    __m128i r = _mm_or_si128(_mm_and_si128(eq, dv), _mm_andnot_si128(eq, sv));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), r);
}

void keyedRows32Sse2(std::uint8_t* d, int dpitch, const std::uint8_t* s, int spitch, int w, int h,
                     std::uint32_t key) {
    const __m128i vkey = _mm_set1_epi32(static_cast<int>(key & 0x00FFFFFFu));
    const __m128i mask = _mm_set1_epi32(0x00FFFFFF);
    for (int y = 0; y < h; ++y, d += dpitch, s += spitch) {
        auto* dr = reinterpret_cast<std::uint32_t*>(d);
        auto* sr = reinterpret_cast<const std::uint32_t*>(s);
        if (w < 4) {
            keyedRowScalar<std::uint32_t>(dr, sr, w, key & 0x00FFFFFFu, 0x00FFFFFFu);
            continue;
        }
        int i = 0;
        for (; i + 4 <= w; i += 4) keyed32Sse2(dr + i, sr + i, vkey, mask);
        if (i < w) keyed32Sse2(dr + w - 4, sr + w - 4, vkey, mask);
    }
}

void keyedRows16Sse2(std::uint8_t* d, int dpitch, const std::uint8_t* s, int spitch, int w, int h,
                     std::uint32_t key) {
    const __m128i vkey = _mm_set1_epi16(static_cast<short>(key & 0xFFFF));
    for (int y = 0; y < h; ++y, d += dpitch, s += spitch) {
        auto* dr = reinterpret_cast<std::uint16_t*>(d);
        auto* sr = reinterpret_cast<const std::uint16_t*>(s);
        if (w < 8) {
            keyedRowScalar<std::uint16_t>(dr, sr, w, static_cast<std::uint16_t>(key), 0xFFFF);
            continue;
        }
        int i = 0;
        for (; i + 8 <= w; i += 8) keyed16Sse2(dr + i, sr + i, vkey);
        if (i < w) keyed16Sse2(dr + w - 8, sr + w - 8, vkey);
    }
}

// ---------------------------------------------------------------- AVX2 (chosen at run time)

__attribute__((target("avx2"))) inline void keyed32Avx2(std::uint32_t* d, const std::uint32_t* s,
                                                         __m256i key, __m256i mask) {
    __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
    __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d));
    __m256i eq = _mm256_cmpeq_epi32(_mm256_and_si256(sv, mask), key);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_blendv_epi8(sv, dv, eq));
}

__attribute__((target("avx2"))) inline void keyed16Avx2(std::uint16_t* d, const std::uint16_t* s,
                                                         __m256i key) {
    __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
    __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d));
    __m256i eq = _mm256_cmpeq_epi16(sv, key);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_blendv_epi8(sv, dv, eq));
}

__attribute__((target("avx2"))) void keyedRows32Avx2(std::uint8_t* d, int dpitch,
                                                      const std::uint8_t* s, int spitch, int w,
                                                      int h, std::uint32_t key) {
    if (w < 8) {
        keyedRows32Sse2(d, dpitch, s, spitch, w, h, key);
        return;
    }
    const __m256i vkey = _mm256_set1_epi32(static_cast<int>(key & 0x00FFFFFFu));
    const __m256i mask = _mm256_set1_epi32(0x00FFFFFF);
    for (int y = 0; y < h; ++y, d += dpitch, s += spitch) {
        auto* dr = reinterpret_cast<std::uint32_t*>(d);
        auto* sr = reinterpret_cast<const std::uint32_t*>(s);
        int i = 0;
        for (; i + 16 <= w; i += 16) {
            keyed32Avx2(dr + i, sr + i, vkey, mask);
            keyed32Avx2(dr + i + 8, sr + i + 8, vkey, mask);
        }
        if (i + 8 <= w) {
            keyed32Avx2(dr + i, sr + i, vkey, mask);
            i += 8;
        }
        if (i < w) keyed32Avx2(dr + w - 8, sr + w - 8, vkey, mask);
    }
}

__attribute__((target("avx2"))) void keyedRows16Avx2(std::uint8_t* d, int dpitch,
                                                      const std::uint8_t* s, int spitch, int w,
                                                      int h, std::uint32_t key) {
    if (w < 16) {
        keyedRows16Sse2(d, dpitch, s, spitch, w, h, key);
        return;
    }
    const __m256i vkey = _mm256_set1_epi16(static_cast<short>(key & 0xFFFF));
    for (int y = 0; y < h; ++y, d += dpitch, s += spitch) {
        auto* dr = reinterpret_cast<std::uint16_t*>(d);
        auto* sr = reinterpret_cast<const std::uint16_t*>(s);
        int i = 0;
        for (; i + 16 <= w; i += 16) keyed16Avx2(dr + i, sr + i, vkey);
        if (i < w) keyed16Avx2(dr + w - 16, sr + w - 16, vkey);
    }
}

__attribute__((target("avx2"))) void fill32Avx2(std::uint32_t* d, int w, std::uint32_t value) {
    const __m256i v = _mm256_set1_epi32(static_cast<int>(value));
    int i = 0;
    for (; i + 8 <= w; i += 8) _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), v);
    for (; i < w; ++i) d[i] = value;
}

// ---------------------------------------------------------------- AVX-512 (chosen at run time)

// With masked stores only the pixels that differ from the key are written, so the destination
// is never read, and the end of a row is one masked vector.
__attribute__((target("avx512f,avx512bw"))) void keyedRows32Avx512(std::uint8_t* d, int dpitch,
                                                                    const std::uint8_t* s, int spitch,
                                                                    int w, int h, std::uint32_t key) {
    const __m512i vkey = _mm512_set1_epi32(static_cast<int>(key & 0x00FFFFFFu));
    const __m512i mask = _mm512_set1_epi32(0x00FFFFFF);
    const int full = w & ~15;
    const __mmask16 tail = static_cast<__mmask16>((1u << (w - full)) - 1);
    for (int y = 0; y < h; ++y, d += dpitch, s += spitch) {
        auto* dr = reinterpret_cast<std::uint32_t*>(d);
        auto* sr = reinterpret_cast<const std::uint32_t*>(s);
        for (int i = 0; i < full; i += 16) {
            __m512i sv = _mm512_loadu_si512(sr + i);
            __mmask16 keep = _mm512_cmpneq_epi32_mask(_mm512_and_si512(sv, mask), vkey);
            _mm512_mask_storeu_epi32(dr + i, keep, sv);
        }
        if (tail != 0) {
            __m512i sv = _mm512_maskz_loadu_epi32(tail, sr + full);
            __mmask16 keep = _mm512_mask_cmpneq_epi32_mask(tail, _mm512_and_si512(sv, mask), vkey);
            _mm512_mask_storeu_epi32(dr + full, keep, sv);
        }
    }
}

__attribute__((target("avx512f,avx512bw"))) void keyedRows16Avx512(std::uint8_t* d, int dpitch,
                                                                    const std::uint8_t* s, int spitch,
                                                                    int w, int h, std::uint32_t key) {
    const __m512i vkey = _mm512_set1_epi16(static_cast<short>(key & 0xFFFF));
    const int full = w & ~31;
    const __mmask32 tail = static_cast<__mmask32>((w - full) == 0 ? 0u : (0xFFFFFFFFu >> (32 - (w - full))));
    for (int y = 0; y < h; ++y, d += dpitch, s += spitch) {
        auto* dr = reinterpret_cast<std::uint16_t*>(d);
        auto* sr = reinterpret_cast<const std::uint16_t*>(s);
        for (int i = 0; i < full; i += 32) {
            __m512i sv = _mm512_loadu_si512(sr + i);
            _mm512_mask_storeu_epi16(dr + i, _mm512_cmpneq_epi16_mask(sv, vkey), sv);
        }
        if (tail != 0) {
            __m512i sv = _mm512_maskz_loadu_epi16(tail, sr + full);
            _mm512_mask_storeu_epi16(dr + full, _mm512_mask_cmpneq_epi16_mask(tail, sv, vkey), sv);
        }
    }
}

using KeyedRowsFn = void (*)(std::uint8_t*, int, const std::uint8_t*, int, int, int, std::uint32_t);

struct Paths {
    KeyedRowsFn keyed32;
    KeyedRowsFn keyed16;
    bool avx2;
    const char* name;
};

Paths choosePaths() {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
        return Paths{keyedRows32Avx512, keyedRows16Avx512, true, "avx512"};
    if (__builtin_cpu_supports("avx2")) return Paths{keyedRows32Avx2, keyedRows16Avx2, true, "avx2"};
    return Paths{keyedRows32Sse2, keyedRows16Sse2, false, "sse2"};
}

Paths& chosenPaths() {
    static Paths paths = choosePaths();
    return paths;
}
#endif  // QRB_X86

#ifdef QRB_NEON
// ---------------------------------------------------------------- NEON (every 64-bit ARM)

// As the SSE2 rows: where the source equals the key keep the destination, else take the source,
// a vector at a time; the last vector of a row overlaps the one before (the pixels it covers
// twice come out the same the second time).
void keyedRows32Neon(std::uint8_t* d, int dpitch, const std::uint8_t* s, int spitch, int w, int h,
                     std::uint32_t key) {
    const uint32x4_t vkey = vdupq_n_u32(key & 0x00FFFFFFu);
    const uint32x4_t mask = vdupq_n_u32(0x00FFFFFFu);
    for (int y = 0; y < h; ++y, d += dpitch, s += spitch) {
        auto* dr = reinterpret_cast<std::uint32_t*>(d);
        auto* sr = reinterpret_cast<const std::uint32_t*>(s);
        if (w < 4) {
            keyedRowScalar<std::uint32_t>(dr, sr, w, key & 0x00FFFFFFu, 0x00FFFFFFu);
            continue;
        }
        auto one = [&](int i) {
            const uint32x4_t sv = vld1q_u32(sr + i);
            const uint32x4_t eq = vceqq_u32(vandq_u32(sv, mask), vkey);
            vst1q_u32(dr + i, vbslq_u32(eq, vld1q_u32(dr + i), sv));
        };
        int i = 0;
        for (; i + 4 <= w; i += 4) one(i);
        if (i < w) one(w - 4);
    }
}

void keyedRows16Neon(std::uint8_t* d, int dpitch, const std::uint8_t* s, int spitch, int w, int h,
                     std::uint32_t key) {
    const uint16x8_t vkey = vdupq_n_u16(static_cast<std::uint16_t>(key & 0xFFFF));
    for (int y = 0; y < h; ++y, d += dpitch, s += spitch) {
        auto* dr = reinterpret_cast<std::uint16_t*>(d);
        auto* sr = reinterpret_cast<const std::uint16_t*>(s);
        if (w < 8) {
            keyedRowScalar<std::uint16_t>(dr, sr, w, static_cast<std::uint16_t>(key), 0xFFFF);
            continue;
        }
        auto one = [&](int i) {
            const uint16x8_t sv = vld1q_u16(sr + i);
            vst1q_u16(dr + i, vbslq_u16(vceqq_u16(sv, vkey), vld1q_u16(dr + i), sv));
        };
        int i = 0;
        for (; i + 8 <= w; i += 8) one(i);
        if (i < w) one(w - 8);
    }
}

// The tests' switch between the vector rows and the plain loops.
bool neonChosen = true;
#endif  // QRB_NEON

void fill32(std::uint32_t* d, int w, std::uint32_t value) {
#ifdef QRB_X86
    if (chosenPaths().avx2) {
        fill32Avx2(d, w, value);
        return;
    }
#endif
    for (int i = 0; i < w; ++i) d[i] = value;
}

}  // namespace

std::uint32_t colorBits(PixelFormat format) {
    return format == PixelFormat::RGB565 ? 0xFFFFu : 0x00FFFFFFu;
}

void blitOpaque(const PixelView& dst, int dx, int dy, const PixelView& src, int sx, int sy, int w,
                int h) {
    const std::size_t rowBytes = static_cast<std::size_t>(w) * bytesPerPixel(dst.format);
    // Within one surface a block moved down must be copied from its last row up.
    bool upward = dst.pixels == src.pixels && dy > sy;
    for (int i = 0; i < h; ++i) {
        int y = upward ? h - 1 - i : i;
        std::memmove(pixelAt(dst, dx, dy + y), pixelAt(src, sx, sy + y), rowBytes);
    }
}

void blitKeyed(const PixelView& dst, int dx, int dy, const PixelView& src, int sx, int sy, int w,
               int h, std::uint32_t key) {
#ifdef QRB_X86
    if (dst.format == PixelFormat::XRGB8888) {
        chosenPaths().keyed32(pixelAt(dst, dx, dy), dst.pitch, pixelAt(src, sx, sy), src.pitch, w, h, key);
        return;
    }
    if (dst.format == PixelFormat::RGB565) {
        chosenPaths().keyed16(pixelAt(dst, dx, dy), dst.pitch, pixelAt(src, sx, sy), src.pitch, w, h, key);
        return;
    }
#endif
#ifdef QRB_NEON
    if (neonChosen && dst.format == PixelFormat::XRGB8888) {
        keyedRows32Neon(pixelAt(dst, dx, dy), dst.pitch, pixelAt(src, sx, sy), src.pitch, w, h, key);
        return;
    }
    if (neonChosen && dst.format == PixelFormat::RGB565) {
        keyedRows16Neon(pixelAt(dst, dx, dy), dst.pitch, pixelAt(src, sx, sy), src.pitch, w, h, key);
        return;
    }
#endif
    keyedScalar(dst, dx, dy, src, sx, sy, w, h, key);
}

void blitKeyedScalar(const PixelView& dst, int dx, int dy, const PixelView& src, int sx, int sy,
                     int w, int h, std::uint32_t key) {
    keyedScalar(dst, dx, dy, src, sx, sy, w, h, key);
}

bool forceBlitPath(const char* name) {
#ifdef QRB_X86
    __builtin_cpu_init();
    const std::string want = name != nullptr ? name : "";
    if (want.empty()) {
        chosenPaths() = choosePaths();
        return true;
    }
    if (want == "avx512" && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")) {
        chosenPaths() = Paths{keyedRows32Avx512, keyedRows16Avx512, true, "avx512"};
        return true;
    }
    if (want == "avx2" && __builtin_cpu_supports("avx2")) {
        chosenPaths() = Paths{keyedRows32Avx2, keyedRows16Avx2, true, "avx2"};
        return true;
    }
    if (want == "sse2") {
        chosenPaths() = Paths{keyedRows32Sse2, keyedRows16Sse2, false, "sse2"};
        return true;
    }
#endif
#ifdef QRB_NEON
    const std::string want = name != nullptr ? name : "";
    if (want.empty() || want == "neon" || want == "scalar") {
        neonChosen = want != "scalar";
        return true;
    }
#endif
    return name == nullptr;
}

const char* blitPath() {
#ifdef QRB_X86
    return chosenPaths().name;
#elif defined(QRB_NEON)
    return neonChosen ? "neon" : "scalar";
#else
    return "scalar";
#endif
}

void fillRect(const PixelView& dst, int x, int y, int w, int h, std::uint32_t value) {
    value &= colorBits(dst.format);
    const int bpp = bytesPerPixel(dst.format);
    const std::size_t rowBytes = static_cast<std::size_t>(w) * bpp;
    // One pass over the whole block when its rows follow each other without a gap.
    if (rowBytes == static_cast<std::size_t>(dst.pitch) && h > 1 && bpp != 3 &&
        static_cast<std::int64_t>(w) * h <= 0x7FFFFFFF) {
        w *= h;
        h = 1;
    }
    for (int r = 0; r < h; ++r) {
        std::uint8_t* d = pixelAt(dst, x, y + r);
        switch (dst.format) {
            case PixelFormat::RGB565: {
                auto v = static_cast<std::uint16_t>(value);
                if ((v & 0xFF) == (v >> 8)) {
                    std::memset(d, v & 0xFF, static_cast<std::size_t>(w) * 2);
                } else {
                    auto* p = reinterpret_cast<std::uint16_t*>(d);
                    for (int i = 0; i < w; ++i) p[i] = v;
                }
                break;
            }
            case PixelFormat::RGB888:
                for (int i = 0; i < w; ++i) {
                    d[3 * i] = value & 0xFF;
                    d[3 * i + 1] = (value >> 8) & 0xFF;
                    d[3 * i + 2] = (value >> 16) & 0xFF;
                }
                break;
            case PixelFormat::XRGB8888:
                if (value == 0)
                    std::memset(d, 0, static_cast<std::size_t>(w) * 4);
                else
                    fill32(reinterpret_cast<std::uint32_t*>(d), w, value);
                break;
        }
    }
}

}  // namespace platform
