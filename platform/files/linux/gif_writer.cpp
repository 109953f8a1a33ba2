// Platform on Linux: animated GIF output through giflib, its encoder and its median-cut quantiser.
// The quantiser is giflib's own rather than a separate library's: it comes with the encoder the
// file needs anyway, under the same permissive licence, and it is only reached by a rectangle of
// more than 256 colours; the framework's own pictures mostly have fewer.
#include "platform/files/gif_writer.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/files/output_file.h"

namespace platform {

namespace {

constexpr std::uint32_t kMaxDelay = 65535;   // hundredths of a second: the field is 16 bits
// A frame of more colours than a palette holds is first given this many (and the index seen
// through): 7-bit codes. Where a pixel still lies more than kMaxFewColoursError from its colour
// in some channel, the frame takes a full palette after all.
constexpr std::size_t kFewColours = 127;
constexpr int kMaxFewColoursError = 24;
// Of a palette, this many places wait for the colours of the pixels median cut left further than
// kFarApart from theirs.
constexpr std::size_t kHeldBack = 8;
constexpr int kFarApart = 12;

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

int WriteBytes(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<OutputFile*>(gif->UserData);
    return out->write(data, static_cast<std::size_t>(length)) ? length : 0;
}

}  // namespace

struct GifWriter::State {
    OutputFile file;
    GifFileType* gif = nullptr;
    int width = 0, height = 0, scale = 1;
    std::string error;                   // the first failure
    std::vector<std::uint32_t> canvas;   // what a decoder shows after the frames written
    std::vector<std::uint32_t> pending;  // the picture not written yet, its time still growing
    bool hasPending = false;
    bool first = true;
    std::uint64_t endMs = 0;             // the end of the pending picture
    std::uint64_t writtenCs = 0;         // the end of the frames written, rounded

    bool failed(const std::string& what, int code) {
        if (error.empty()) error = what + ": " + (GifErrorString(code) != nullptr ? GifErrorString(code) : "error");
        return false;
    }

    // The rectangle of `picture` that differs from the canvas; the whole picture for the first.
    Rect changed(const std::vector<std::uint32_t>& picture) const {
        if (first) return Rect{0, 0, width, height};
        int x0 = width, y0 = height, x1 = -1, y1 = -1;
        for (int y = 0; y < height; ++y) {
            const std::uint32_t* a = &picture[static_cast<std::size_t>(y) * width];
            const std::uint32_t* b = &canvas[static_cast<std::size_t>(y) * width];
            if (std::memcmp(a, b, static_cast<std::size_t>(width) * 4) == 0) continue;
            int l = 0, r = width - 1;
            while (a[l] == b[l]) ++l;
            while (a[r] == b[r]) --r;
            x0 = std::min(x0, l);
            x1 = std::max(x1, r);
            y0 = std::min(y0, y);
            y1 = y;
        }
        // Unchanged: one pixel, so that the frame still takes its time.
        if (x1 < 0) return Rect{0, 0, 1, 1};
        return Rect{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
    }

    using Pixel = std::uint32_t;

    // Chooses at most `limit` colours for `pixels` by giflib's median cut, then gives the pixels
    // it serves worst (beyond kFarApart in a channel) the exact colours the most of them have,
    // in places held back for them: median cut follows the pixels' numbers, and a small thing in
    // a colour of its own (a pointer, a line of text) would otherwise take a neighbour's.
    bool quantise(const std::vector<Pixel>& pixels, std::size_t limit, std::vector<GifColorType>& colours,
                  std::vector<GifByteType>& chosen) {
        const std::size_t n = pixels.size();
        std::vector<GifByteType> red(n), green(n), blue(n);
        for (std::size_t i = 0; i < n; ++i) {
            red[i] = static_cast<GifByteType>(pixels[i] >> 16);
            green[i] = static_cast<GifByteType>(pixels[i] >> 8);
            blue[i] = static_cast<GifByteType>(pixels[i]);
        }
        const std::size_t held = limit >= 4 * kHeldBack ? kHeldBack : 0;
        int size = static_cast<int>(limit - held);
        colours.assign(256, GifColorType{0, 0, 0});
        chosen.assign(n, 0);
        if (GifQuantizeBuffer(static_cast<unsigned>(n), 1, &size, red.data(), green.data(), blue.data(), chosen.data(),
                              colours.data()) != GIF_OK)
            return failed("the colours of a frame could not be chosen", D_GIF_ERR_NOT_ENOUGH_MEM);
        colours.resize(static_cast<std::size_t>(std::clamp(size, 1, static_cast<int>(limit - held))));
        if (held == 0) return true;
        // The far pixels' colours, the commonest first.
        std::vector<std::pair<std::size_t, Pixel>> far;
        {
            std::vector<Pixel> farPixels;
            for (std::size_t i = 0; i < n; ++i)
                if (distance(pixels[i], colours[chosen[i]]) > kFarApart) farPixels.push_back(pixels[i]);
            std::sort(farPixels.begin(), farPixels.end());
            for (std::size_t i = 0; i < farPixels.size();) {
                std::size_t j = i;
                while (j < farPixels.size() && farPixels[j] == farPixels[i]) ++j;
                far.emplace_back(j - i, farPixels[i]);
                i = j;
            }
        }
        if (far.empty()) return true;
        std::sort(far.begin(), far.end(), [](const auto& a, const auto& b) { return a.first > b.first || (a.first == b.first && a.second < b.second); });
        const std::size_t start = colours.size();
        for (std::size_t k = 0; k < far.size() && colours.size() < limit; ++k)
            colours.push_back(GifColorType{static_cast<GifByteType>(far[k].second >> 16), static_cast<GifByteType>(far[k].second >> 8),
                                           static_cast<GifByteType>(far[k].second)});
        // Each far pixel takes the nearest of the added colours where it is nearer.
        for (std::size_t i = 0; i < n; ++i) {
            int best = distance(pixels[i], colours[chosen[i]]);
            if (best <= kFarApart) continue;
            for (std::size_t k = start; k < colours.size(); ++k)
                if (const int d = distance(pixels[i], colours[k]); d < best) best = d, chosen[i] = static_cast<GifByteType>(k);
        }
        return true;
    }

    // The largest difference in one channel between a pixel and a colour.
    static int distance(Pixel p, const GifColorType& c) {
        return std::max({std::abs(static_cast<int>((p >> 16) & 0xFF) - c.Red), std::abs(static_cast<int>((p >> 8) & 0xFF) - c.Green),
                         std::abs(static_cast<int>(p & 0xFF) - c.Blue)});
    }

    static int worstError(const std::vector<Pixel>& pixels, const std::vector<GifColorType>& colours,
                          const std::vector<GifByteType>& chosen) {
        int worst = 0;
        for (std::size_t i = 0; i < pixels.size(); ++i) worst = std::max(worst, distance(pixels[i], colours[chosen[i]]));
        return worst;
    }

    // Writes the pending picture as a frame shown for `delay` hundredths of a second. Inside the
    // changed rectangle only the pixels that changed choose the palette: the others keep what
    // the canvas shows (below), so that they are neither counted nor quantised again.
    bool writeFrame(std::uint32_t delay) {
        const Rect r = changed(pending);
        const std::size_t count = static_cast<std::size_t>(r.w) * r.h;
        constexpr GifByteType kKept = 0;   // placeholder until the transparent index is known
        std::vector<GifByteType> indices(count, kKept);
        std::vector<bool> kept(count, false);
        std::size_t changedCount = 0;
        for (int y = 0; y < r.h; ++y)
            for (int x = 0; x < r.w; ++x) {
                const std::size_t at = static_cast<std::size_t>(r.y + y) * width + r.x + x;
                const bool same = !first && pending[at] == canvas[at];
                kept[static_cast<std::size_t>(y) * r.w + x] = same;
                changedCount += same ? 0 : 1;
            }
        const bool anyKept = changedCount < count;
        const std::size_t limit = anyKept ? 255 : 256;   // one index kept free to see through
        std::vector<GifColorType> colours;
        // The changed pixels' own colours when they fit a palette: then the frame is exact. They
        // are found through a table of 1024 places (open addressing), the last colour remembered.
        constexpr std::uint32_t kEmpty = 0xFFFFFFFF, kSlots = 1024;
        std::uint32_t keys[kSlots];
        GifByteType values[kSlots];
        std::fill(keys, keys + kSlots, kEmpty);
        std::uint32_t last = kEmpty;
        GifByteType lastIndex = 0;
        bool exact = true;
        for (int y = 0; y < r.h && exact; ++y) {
            const std::uint32_t* row = &pending[static_cast<std::size_t>(r.y + y) * width + r.x];
            GifByteType* out = &indices[static_cast<std::size_t>(y) * r.w];
            for (int x = 0; x < r.w; ++x) {
                if (kept[static_cast<std::size_t>(y) * r.w + x]) continue;
                const std::uint32_t c = row[x];
                if (c != last) {
                    std::uint32_t slot = (c * 2654435761u) >> 22;
                    while (keys[slot] != kEmpty && keys[slot] != c) slot = (slot + 1) & (kSlots - 1);
                    if (keys[slot] == kEmpty) {
                        if (colours.size() == limit) {
                            exact = false;
                            break;
                        }
                        keys[slot] = c;
                        values[slot] = static_cast<GifByteType>(colours.size());
                        colours.push_back(GifColorType{static_cast<GifByteType>(c >> 16), static_cast<GifByteType>(c >> 8),
                                                       static_cast<GifByteType>(c)});
                    }
                    last = c;
                    lastIndex = values[slot];
                }
                out[x] = lastIndex;
            }
        }
        if (!exact) {
            // The changed pixels alone, as one row, through the quantiser: first to few colours,
            // which the file stores in 7-bit codes rather than 8 (a quarter smaller for pictures
            // of shaded sprites), then, where some pixel is still far from its colour, to all.
            std::vector<Pixel> changedPixels;
            changedPixels.reserve(changedCount);
            for (int y = 0; y < r.h; ++y)
                for (int x = 0; x < r.w; ++x)
                    if (!kept[static_cast<std::size_t>(y) * r.w + x])
                        changedPixels.push_back(pending[static_cast<std::size_t>(r.y + y) * width + r.x + x]);
            std::vector<GifByteType> chosen;
            if (!quantise(changedPixels, limit > kFewColours ? kFewColours : limit, colours, chosen)) return false;
            if (limit > kFewColours && worstError(changedPixels, colours, chosen) > kMaxFewColoursError &&
                !quantise(changedPixels, limit, colours, chosen))
                return false;
            std::size_t n = 0;
            for (std::size_t i = 0; i < count; ++i)
                if (!kept[i]) indices[i] = chosen[n++];
        }
        // A pixel that did not change takes a palette entry of exactly its colour where there is
        // one (the background around what moved, most often: runs of one index either way), and
        // the transparent index otherwise.
        std::fill(keys, keys + kSlots, kEmpty);
        for (std::size_t i = 0; i < colours.size(); ++i) {
            const std::uint32_t c = (std::uint32_t{colours[i].Red} << 16) | (std::uint32_t{colours[i].Green} << 8) | colours[i].Blue;
            std::uint32_t slot = (c * 2654435761u) >> 22;
            while (keys[slot] != kEmpty && keys[slot] != c) slot = (slot + 1) & (kSlots - 1);
            if (keys[slot] == kEmpty) keys[slot] = c, values[slot] = static_cast<GifByteType>(i);
        }
        bool seeThrough = false;
        const GifByteType transparentIndex = static_cast<GifByteType>(std::min<std::size_t>(colours.size(), 255));
        // The chosen colours are what the decoder will show: the canvas takes them.
        for (int y = 0; y < r.h; ++y)
            for (int x = 0; x < r.w; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * r.w + x;
                if (kept[i]) {
                    const std::uint32_t c = canvas[static_cast<std::size_t>(r.y + y) * width + r.x + x];
                    std::uint32_t slot = (c * 2654435761u) >> 22;
                    while (keys[slot] != kEmpty && keys[slot] != c) slot = (slot + 1) & (kSlots - 1);
                    if (keys[slot] == c) {
                        indices[i] = values[slot];
                    } else {
                        indices[i] = transparentIndex;
                        seeThrough = true;
                    }
                    continue;
                }
                const GifColorType& c = colours[indices[i]];
                canvas[static_cast<std::size_t>(r.y + y) * width + r.x + x] =
                    (std::uint32_t{c.Red} << 16) | (std::uint32_t{c.Green} << 8) | c.Blue;
            }
        if (seeThrough) colours.push_back(GifColorType{0, 0, 0});
        const int bits = std::max(1, GifBitSize(static_cast<int>(colours.size())));
        colours.resize(std::size_t{1} << bits, GifColorType{0, 0, 0});
        ColorMapObject* map = GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
        if (map == nullptr) return failed("a frame's palette could not be made", E_GIF_ERR_NOT_ENOUGH_MEM);
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.DelayTime = static_cast<int>(delay);
        control.TransparentColor = seeThrough ? transparentIndex : NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        const std::size_t length = EGifGCBToExtension(&control, extension);
        bool ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) == GIF_OK &&
                  EGifPutImageDesc(gif, r.x, r.y, r.w, r.h, false, map) == GIF_OK;
        for (int y = 0; ok && y < r.h; ++y)
            ok = EGifPutLine(gif, &indices[static_cast<std::size_t>(y) * r.w], r.w) == GIF_OK;
        GifFreeMapObject(map);
        if (!ok) return failed("writing a frame failed", gif->Error);
        first = false;
        return true;
    }

    // Writes the pending picture with the time it has, rounded so that the total is exact.
    bool flush() {
        if (!hasPending) return true;
        const std::uint64_t endCs = (endMs + 5) / 10;
        hasPending = false;
        return writeFrame(static_cast<std::uint32_t>(endCs - writtenCs)) && (writtenCs = endCs, true);
    }
};

GifWriter::GifWriter() = default;

bool GifWriter::supported() { return true; }

GifWriter::~GifWriter() { discard(); }

bool GifWriter::open(const std::string& path, int width, int height, int scale, std::string& error) {
    discard();
    if (width < 1 || height < 1 || (scale != 1 && scale != 2) || width * scale > 65535 || height * scale > 65535) {
        error = "no picture to write as a GIF";
        return false;
    }
    auto s = std::make_unique<State>();
    if (!s->file.open(path, error)) return false;
    int code = 0;
    s->gif = EGifOpen(&s->file, WriteBytes, &code);
    if (s->gif == nullptr) {
        error = std::string("cannot start the GIF: ") + GifErrorString(code);
        return false;
    }
    s->width = width * scale;
    s->height = height * scale;
    s->scale = scale;
    s->canvas.assign(static_cast<std::size_t>(s->width) * s->height, 0);
    EGifSetGifVersion(s->gif, true);
    // The screen, then the loop forever that browsers and viewers read from the application block.
    static const GifByteType kLoop[3] = {1, 0, 0};
    if (EGifPutScreenDesc(s->gif, s->width, s->height, 8, 0, nullptr) != GIF_OK ||
        EGifPutExtensionLeader(s->gif, APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
        EGifPutExtensionBlock(s->gif, 11, "NETSCAPE2.0") != GIF_OK || EGifPutExtensionBlock(s->gif, 3, kLoop) != GIF_OK ||
        EGifPutExtensionTrailer(s->gif) != GIF_OK) {
        error = std::string("cannot start the GIF: ") + GifErrorString(s->gif->Error);
        state_ = std::move(s);
        discard();
        return false;
    }
    state_ = std::move(s);
    return true;
}

bool GifWriter::add(const std::uint32_t* pixels, std::uint32_t ms) {
    State* s = state_.get();
    if (s == nullptr || !s->error.empty()) return false;
    std::vector<std::uint32_t> picture(static_cast<std::size_t>(s->width) * s->height);
    const int w = s->width / s->scale;
    for (int y = 0; y < s->height; y += s->scale) {
        const std::uint32_t* from = pixels + static_cast<std::size_t>(y / s->scale) * w;
        std::uint32_t* to = &picture[static_cast<std::size_t>(y) * s->width];
        if (s->scale == 1) {
            for (int x = 0; x < w; ++x) to[x] = from[x] & 0xFFFFFF;
        } else {
            for (int x = 0; x < w; ++x) to[2 * x] = to[2 * x + 1] = from[x] & 0xFFFFFF;
            std::copy(to, to + s->width, to + s->width);   // the row again
        }
    }
    // The same picture again: the pending one lasts longer, unless its delay would overflow.
    if (s->hasPending && picture == s->pending && (s->endMs + ms + 5) / 10 - s->writtenCs <= kMaxDelay) {
        s->endMs += ms;
        return true;
    }
    if (!s->flush()) return false;
    s->pending = std::move(picture);
    s->hasPending = true;
    s->endMs += ms;
    return true;
}

bool GifWriter::commit(std::string& error) {
    State* s = state_.get();
    if (s == nullptr) {
        error = "no GIF was started";
        return false;
    }
    if (s->first && !s->hasPending && s->error.empty()) s->error = "no frame to write";
    s->flush();
    int code = 0;
    if (s->error.empty() && EGifCloseFile(s->gif, &code) != GIF_OK) s->failed("finishing the GIF failed", code);
    else if (!s->error.empty()) EGifCloseFile(s->gif, &code);
    s->gif = nullptr;
    if (!s->error.empty()) {
        error = s->error;
        discard();
        return false;
    }
    const bool ok = s->file.commit(error);
    state_.reset();
    return ok;
}

void GifWriter::discard() {
    if (state_ == nullptr) return;
    int code = 0;
    if (state_->gif != nullptr) EGifCloseFile(state_->gif, &code);
    state_->file.discard();
    state_.reset();
}

}  // namespace platform
