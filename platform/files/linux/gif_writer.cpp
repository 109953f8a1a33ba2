// Platform on Linux: animated GIF output through giflib (the file's blocks) and its median-cut
// quantiser, with an LZW encoder of its own (LzwEncoder, below).
// The quantiser is giflib's own rather than a separate library's: it comes with the encoder the
// file needs anyway, under the same permissive licence, and it is only reached by a rectangle of
// more than 256 colours; the framework's own pictures mostly have fewer.
#include "platform/files/gif_writer.h"

#include <gif_lib.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <mutex>
#include <thread>
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

// GIF's LZW for one frame's palette places: the codes in the file's sub-blocks (a length byte,
// then at most 255 bytes), without the empty block that ends them. It is written here rather
// than left to giflib's line writer for one choice: once the table holds its 4096 strings, it is
// kept to the frame's end instead of being cleared and learnt again. A game's frame repeats what
// its first rows taught (the same sprites all over), and the whole game's GIF came out 17%
// smaller so. (Decoders take a full table without a clear: the format lets the encoder choose.)
class LzwEncoder {
public:
    void encode(const GifByteType* pixels, std::size_t count, int minBits, std::vector<GifByteType>& out) {
        out_ = &out;
        out.clear();
        out.push_back(0);   // the first block's length, filled in as it grows
        lengthAt_ = 0;
        bits_ = 0;
        held_ = 0;
        clearCode_ = 1u << minBits;
        minBits_ = minBits;
        restart();
        emit(clearCode_);
        if (count == 0) {
            emit(clearCode_ + 1);
            finish();
            return;
        }
        std::uint32_t prefix = pixels[0];
        for (std::size_t i = 1; i < count; ++i) {
            const std::uint32_t c = pixels[i];
            const std::uint32_t key = (prefix << 8) | c;
            std::uint32_t at = hash(key);
            std::uint32_t slot = slots_[at];
            while (slot != kEmpty && (slot >> 12) != key) slot = slots_[at = (at + 1) & (kSlots - 1)];
            if (slot != kEmpty) {
                prefix = slot & 0xFFF;
                continue;
            }
            emit(prefix);
            if (next_ < kMaxCodes - 1) slots_[at] = (key << 12) | next_++;   // the empty slot the search ended on
            prefix = c;
        }
        emit(prefix);
        emit(clearCode_ + 1);
        finish();
    }

private:
    static constexpr std::uint32_t kMaxCodes = 4096;
    // A string's slot holds its prefix's code and its last index (20 bits) and its own code (12
    // bits); 4095, the code never given, makes the empty slot. Half the slots are empty at most:
    // short searches in a table the size of the first-level cache.
    static constexpr std::uint32_t kSlots = 1u << 13;
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;

    static std::uint32_t hash(std::uint32_t key) { return (key * 2654435761u) >> (32 - 13); }

    void restart() {
        next_ = clearCode_ + 2;
        width_ = minBits_ + 1;
        std::fill(std::begin(slots_), std::end(slots_), kEmpty);
    }

    // Puts a code in width_ bits; the width grows once the decoder's table reaches its limit.
    void emit(std::uint32_t code) {
        held_ |= static_cast<std::uint64_t>(code) << bits_;
        bits_ += width_;
        while (bits_ >= 8) {
            put(static_cast<GifByteType>(held_));
            held_ >>= 8;
            bits_ -= 8;
        }
        if (next_ >= (1u << width_) && width_ < 12) ++width_;
    }

    void put(GifByteType byte) {
        std::vector<GifByteType>& out = *out_;
        if (out[lengthAt_] == 255) {
            lengthAt_ = out.size();
            out.push_back(0);
        }
        out.push_back(byte);
        ++out[lengthAt_];
    }

    void finish() {
        if (bits_ > 0) put(static_cast<GifByteType>(held_));
    }

    std::vector<GifByteType>* out_ = nullptr;
    std::size_t lengthAt_ = 0;
    std::uint64_t held_ = 0;
    int bits_ = 0;
    std::uint32_t clearCode_ = 0, next_ = 0;
    int minBits_ = 2, width_ = 3;
    std::uint32_t slots_[kSlots] = {};
};

}  // namespace

struct GifWriter::State {
    OutputFile file;
    GifFileType* gif = nullptr;
    int width = 0, height = 0, scale = 1;
    std::string error;                   // the first failure
    std::vector<std::uint32_t> canvas;   // what a decoder shows after the frames written
    // The frames are written by a thread of their own while the program draws the next
    // pictures: the caller's thread only compares each picture with the one before and hands
    // over a picture once it is done lasting. The buffers go round: incoming (being filled) ->
    // latest (its time still growing) -> pending (being written) -> shown, whose old buffer
    // comes back as the next free one.
    //   The caller's thread:
    std::vector<std::uint32_t> incoming;  // the picture being added
    std::vector<std::uint32_t> latest;    // the last picture added, not handed over yet
    bool hasLatest = false;
    bool handedAny = false;
    std::uint64_t endMs = 0;              // the end of the latest picture
    std::uint64_t writtenCs = 0;          // the end of the frames handed over, rounded
    //   The writing thread (the caller's before it starts and after it ends):
    std::vector<std::uint32_t> pending;  // the picture being written
    std::vector<std::uint32_t> shown;    // the picture last written, as the program drew it
    std::vector<std::uint8_t> send;      // per pixel of the picture: written in this frame
    std::size_t marked = 0;              // how many
    std::vector<GifByteType> indices;    // the frame's rectangle as palette places
    std::vector<GifByteType> coded;      // and as the file stores them
    LzwEncoder lzw;
    bool first = true;
    //   Shared, under `lock`:
    std::mutex lock;
    std::condition_variable changed;
    bool busy = false;                   // pending is handed over and not written yet
    bool stopping = false;
    std::uint32_t pendingDelay = 0;
    std::atomic<bool> broken{false};     // error holds the first failure (read once not busy)
    std::thread writer;

    bool failed(const std::string& what, int code) {
        if (error.empty()) error = what + ": " + (GifErrorString(code) != nullptr ? GifErrorString(code) : "error");
        return false;
    }

    // Marks in `send` the pixels of the pending picture to be written: those that differ from
    // the canvas and, when `sinceShown`, also from the picture last written (a pixel the program
    // did not redraw keeps the colour a palette gave it then). The rectangle around them; one
    // pixel, kept, when none (the frame must still take its time); the whole picture for the first.
    Rect mark(bool sinceShown) {
        const std::size_t w = static_cast<std::size_t>(width);
        if (first) {
            std::fill(send.begin(), send.end(), std::uint8_t{1});
            marked = send.size();
            return Rect{0, 0, width, height};
        }
        marked = 0;
        int x0 = width, y0 = height, x1 = -1, y1 = -1;
        for (int y = 0; y < height; ++y) {
            const std::uint32_t* a = &pending[y * w];
            const std::uint32_t* b = &canvas[y * w];
            const std::uint32_t* c = &shown[y * w];
            std::uint8_t* m = &send[y * w];
            if (std::memcmp(a, b, w * 4) == 0 || (sinceShown && std::memcmp(a, c, w * 4) == 0)) {
                std::memset(m, 0, w);
                continue;
            }
            std::size_t n = 0;
            if (sinceShown) {
                for (int x = 0; x < width; ++x) n += m[x] = (a[x] != b[x]) & (a[x] != c[x]);
            } else {
                for (int x = 0; x < width; ++x) n += m[x] = a[x] != b[x];
            }
            if (n == 0) continue;
            marked += n;
            int l = 0, r = width - 1;
            while (m[l] == 0) ++l;
            while (m[r] == 0) --r;
            x0 = std::min(x0, l);
            x1 = std::max(x1, r);
            y0 = std::min(y0, y);
            y1 = y;
        }
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

    // A table of at most 256 colours and their palette places, by open addressing.
    struct ColourTable {
        static constexpr std::uint32_t kEmpty = 0xFFFFFFFF, kSlots = 1024;
        std::uint32_t keys[kSlots];
        GifByteType values[kSlots];
        void clear() { std::fill(keys, keys + kSlots, kEmpty); }
        // The slot of `c`: its own, or the empty one where it would go.
        std::uint32_t slot(std::uint32_t c) const {
            std::uint32_t at = (c * 2654435761u) >> 22;
            while (keys[at] != kEmpty && keys[at] != c) at = (at + 1) & (kSlots - 1);
            return at;
        }
    };

    static std::uint32_t rgb(const GifColorType& c) {
        return (std::uint32_t{c.Red} << 16) | (std::uint32_t{c.Green} << 8) | c.Blue;
    }

    // The colours of the pixels to send inside `r` as the palette, each pixel's index in
    // `indices`, when there are at most `limit`: then the frame is exact.
    bool exactColours(const Rect& r, std::size_t limit, ColourTable& table, std::vector<GifColorType>& colours) {
        table.clear();
        colours.clear();
        std::uint32_t last = ColourTable::kEmpty;
        GifByteType lastIndex = 0;
        for (int y = 0; y < r.h; ++y) {
            const std::size_t at = static_cast<std::size_t>(r.y + y) * width + r.x;
            const std::uint32_t* row = &pending[at];
            const std::uint8_t* m = &send[at];
            GifByteType* out = &indices[static_cast<std::size_t>(y) * r.w];
            for (int x = 0; x < r.w; ++x) {
                if (m[x] == 0) continue;
                const std::uint32_t c = row[x];
                if (c != last) {
                    const std::uint32_t slot = table.slot(c);
                    if (table.keys[slot] == ColourTable::kEmpty) {
                        if (colours.size() == limit) return false;
                        table.keys[slot] = c;
                        table.values[slot] = static_cast<GifByteType>(colours.size());
                        colours.push_back(GifColorType{static_cast<GifByteType>(c >> 16), static_cast<GifByteType>(c >> 8),
                                                       static_cast<GifByteType>(c)});
                    }
                    last = c;
                    lastIndex = table.values[slot];
                }
                out[x] = lastIndex;
            }
        }
        return true;
    }

    // Writes the pending picture as a frame shown for `delay` hundredths of a second. Only the
    // pixels that differ from what the canvas shows are sent and choose the palette; the others
    // inside their rectangle keep the canvas (below). When they have more colours than a palette
    // holds, a pixel the program did not redraw since the frame before is not sent again either:
    // it keeps the colour that frame's palette gave it, rather than being quantised anew.
    bool writeFrame(std::uint32_t delay) {
        send.resize(pending.size());
        Rect r = mark(false);
        std::size_t count = static_cast<std::size_t>(r.w) * r.h;
        indices.assign(count, 0);
        std::size_t sent = marked;
        std::vector<GifColorType> colours;
        ColourTable table;
        bool exact = exactColours(r, 256, table, colours);
        if (exact && colours.size() == 256 && sent < count) {
            // No index is left to see through: the whole rectangle is sent, and it is exact still
            // when the picture has no more than 256 colours.
            std::fill(indices.begin(), indices.end(), GifByteType{0});
            for (int y = 0; y < r.h; ++y) std::fill_n(&send[static_cast<std::size_t>(r.y + y) * width + r.x], r.w, std::uint8_t{1});
            sent = count;
            exact = exactColours(r, 256, table, colours);
        }
        std::size_t limit = sent < count ? 255 : 256;   // one index kept free to see through
        if (!exact && !first) {
            r = mark(true);
            count = static_cast<std::size_t>(r.w) * r.h;
            indices.assign(count, 0);
            sent = marked;
            limit = sent < count ? 255 : 256;
            exact = exactColours(r, limit, table, colours);
        }
        if (!exact) {
            // The pixels to send alone, as one row, through the quantiser: first to few colours,
            // which the file stores in 7-bit codes rather than 8 (a quarter smaller for pictures
            // of shaded sprites), then, where some pixel is still far from its colour, to all.
            std::vector<Pixel> sentPixels(sent + 1);   // (and a place the last pixel not sent may take)
            std::size_t taken = 0;
            for (int y = 0; y < r.h; ++y) {
                const std::size_t at = static_cast<std::size_t>(r.y + y) * width + r.x;
                for (int x = 0; x < r.w; ++x) {
                    sentPixels[taken] = pending[at + x];
                    taken += send[at + x];
                }
            }
            sentPixels.resize(sent);
            std::vector<GifByteType> chosen;
            if (!quantise(sentPixels, limit > kFewColours ? kFewColours : limit, colours, chosen)) return false;
            if (limit > kFewColours && worstError(sentPixels, colours, chosen) > kMaxFewColoursError &&
                !quantise(sentPixels, limit, colours, chosen))
                return false;
            // (A pixel not sent takes its index below.)
            chosen.push_back(0);
            std::size_t n = 0;
            for (int y = 0; y < r.h; ++y) {
                const std::size_t at = static_cast<std::size_t>(r.y + y) * width + r.x;
                GifByteType* out = &indices[static_cast<std::size_t>(y) * r.w];
                for (int x = 0; x < r.w; ++x) {
                    out[x] = chosen[n];
                    n += send[at + x];
                }
            }
        }
        // A pixel not sent takes a palette entry of exactly the colour the canvas shows where
        // there is one (the background around what moved, most often: runs of one index either
        // way), and the transparent index otherwise.
        table.clear();
        for (std::size_t i = 0; i < colours.size(); ++i) {
            const std::uint32_t c = rgb(colours[i]);
            const std::uint32_t slot = table.slot(c);
            if (table.keys[slot] == ColourTable::kEmpty) table.keys[slot] = c, table.values[slot] = static_cast<GifByteType>(i);
        }
        bool seeThrough = false;
        const GifByteType transparentIndex = static_cast<GifByteType>(std::min<std::size_t>(colours.size(), 255));
        // The chosen colours are what the decoder will show: the canvas takes them.
        std::uint32_t last = ColourTable::kEmpty;
        GifByteType lastIndex = 0;
        for (int y = 0; y < r.h; ++y) {
            const std::size_t at = static_cast<std::size_t>(r.y + y) * width + r.x;
            std::uint32_t* shows = &canvas[at];
            const std::uint8_t* m = &send[at];
            GifByteType* out = &indices[static_cast<std::size_t>(y) * r.w];
            for (int x = 0; x < r.w; ++x) {
                if (m[x] != 0) {
                    shows[x] = rgb(colours[out[x]]);
                    continue;
                }
                const std::uint32_t c = shows[x];
                if (c != last) {
                    const std::uint32_t slot = table.slot(c);
                    last = c;
                    lastIndex = table.keys[slot] == c ? table.values[slot] : transparentIndex;
                }
                out[x] = lastIndex;
                seeThrough = seeThrough || lastIndex == transparentIndex;   // never a colour: some pixel is kept
            }
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
        // The codes, block by block, then the empty block that ends them.
        lzw.encode(indices.data(), count, std::max(2, bits), coded);
        for (std::size_t at = 0; ok && at < coded.size(); at += std::size_t{coded[at]} + 1)
            ok = (at == 0 ? EGifPutCode(gif, std::max(2, bits), &coded[at]) : EGifPutCodeNext(gif, &coded[at])) == GIF_OK;
        ok = ok && EGifPutCodeNext(gif, nullptr) == GIF_OK;
        GifFreeMapObject(map);
        if (!ok) return failed("writing a frame failed", gif->Error);
        shown.swap(pending);
        first = false;
        return true;
    }

    void writeFrames() {
        std::unique_lock<std::mutex> held(lock);
        for (;;) {
            changed.wait(held, [this] { return busy || stopping; });
            if (!busy) return;
            held.unlock();
            const bool ok = broken || writeFrame(pendingDelay);
            held.lock();
            if (!ok) broken = true;
            busy = false;
            changed.notify_all();
        }
    }

    // Waits until the frame handed over last is written; false once anything failed.
    bool waitWritten() {
        std::unique_lock<std::mutex> held(lock);
        changed.wait(held, [this] { return !busy; });
        return !broken;
    }

    // Hands the latest picture over with the time it has, rounded so that the total is exact;
    // latest then holds a free buffer.
    bool flush() {
        if (!hasLatest) return true;
        if (!waitWritten()) return false;
        const std::uint64_t endCs = (endMs + 5) / 10;
        hasLatest = false;
        handedAny = true;
        {
            std::lock_guard<std::mutex> held(lock);
            pending.swap(latest);
            pendingDelay = static_cast<std::uint32_t>(endCs - writtenCs);
            busy = true;
        }
        changed.notify_all();
        writtenCs = endCs;
        return true;
    }

    // Ends the writing thread once it has written what it was given.
    void stop() {
        if (!writer.joinable()) return;
        {
            std::lock_guard<std::mutex> held(lock);
            stopping = true;
        }
        changed.notify_all();
        writer.join();
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
    s->shown = s->canvas;
    s->incoming.resize(s->canvas.size());
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
    s->writer = std::thread([state = s.get()] { state->writeFrames(); });
    state_ = std::move(s);
    return true;
}

bool GifWriter::add(const std::uint32_t* pixels, std::uint32_t ms) {
    State* s = state_.get();
    if (s == nullptr || s->broken) return false;
    std::vector<std::uint32_t>& picture = s->incoming;
    picture.resize(static_cast<std::size_t>(s->width) * s->height);
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
    // The same picture again: the latest one lasts longer, unless its delay would overflow.
    if (s->hasLatest && picture == s->latest && (s->endMs + ms + 5) / 10 - s->writtenCs <= kMaxDelay) {
        s->endMs += ms;
        return true;
    }
    if (!s->flush()) return false;
    s->latest.swap(s->incoming);   // incoming takes the free buffer
    s->hasLatest = true;
    s->endMs += ms;
    return true;
}

bool GifWriter::commit(std::string& error) {
    State* s = state_.get();
    if (s == nullptr) {
        error = "no GIF was started";
        return false;
    }
    s->flush();
    s->waitWritten();
    s->stop();
    if (!s->handedAny && s->error.empty()) s->error = "no frame to write";
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
    state_->stop();
    int code = 0;
    if (state_->gif != nullptr) EGifCloseFile(state_->gif, &code);
    state_->file.discard();
    state_.reset();
}

}  // namespace platform
