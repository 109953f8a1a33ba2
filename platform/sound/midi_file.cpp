// Platform: the structure check of standard MIDI files.
#include "platform/sound/midi_file.h"

#include <algorithm>

#include "platform/files/bytes.h"

namespace platform {
namespace {

struct Reader {
    const std::uint8_t* p;
    std::size_t pos;
    std::size_t end;

    bool has(std::size_t n) const { return n <= end - pos; }
    bool byte(std::uint8_t& b) {
        if (!has(1)) return false;
        b = p[pos++];
        return true;
    }
    bool overlong = false;   // the last varLen failed on a fifth byte, not on the end

    // A variable-length quantity: at most four bytes, seven bits each.
    bool varLen(std::uint32_t& v) {
        v = 0;
        overlong = false;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t b;
            if (!byte(b)) return false;
            v = (v << 7) | (b & 0x7F);
            if ((b & 0x80) == 0) return true;
        }
        overlong = true;
        return false;
    }
    bool skip(std::uint32_t n) {
        if (!has(n)) return false;
        pos += n;
        return true;
    }
};

bool printable(const std::uint8_t* id) {
    for (int i = 0; i < 4; ++i)
        if (id[i] < 0x20 || id[i] > 0x7E) return false;
    return true;
}

// Meta events whose data has a fixed length; a file that breaks it is refused.
int fixedMetaLength(std::uint8_t type) {
    switch (type) {
        case 0x21: return 1;   // port
        case 0x2F: return 0;   // end of track
        case 0x51: return 3;   // tempo
        case 0x54: return 5;   // SMPTE offset
        case 0x58: return 4;   // time signature
        case 0x59: return 2;   // key signature
        default: return -1;
    }
}

struct Tempo {
    std::uint64_t tick;
    std::uint32_t microsPerQuarter;
};

// A delta time; one too long for a single quantity is split by empty text events.
void putDelta(std::vector<std::uint8_t>& v, std::uint64_t d) {
    while (d > 0x0FFFFFFF) {
        putVarLen(v, 0x0FFFFFFF);
        v.insert(v.end(), {0xFF, 0x01, 0x00});
        d -= 0x0FFFFFFF;
    }
    putVarLen(v, static_cast<std::uint32_t>(d));
}

bool refuse(const char** why, const char* reason) {
    *why = reason;
    return false;
}

constexpr const char* kEndsInside = "a track ends inside an event";

// One track as it is read: the running status of channel messages, which carries over meta,
// system-exclusive and escape events, the tick of the current event, and where its tempo
// changes go (none when the track is only checked).
struct Track {
    Reader r;
    const char** why;
    std::vector<Tempo>* tempos;
    std::uint8_t running = 0;
    std::uint64_t tick = 0;
};

// The event's status byte; a data byte in its place means the running status applies.
bool readStatus(Track& t, std::uint8_t& status) {
    if (!t.r.byte(status)) return refuse(t.why, kEndsInside);
    if (status >= 0x80) return true;
    if (t.running == 0) return refuse(t.why, "running status without a status byte before it");
    --t.r.pos;   // the byte was data: the running status applies
    status = t.running;
    return true;
}

bool readChannelMessage(Track& t, std::uint8_t status) {
    t.running = status;
    std::uint8_t kind = status & 0xF0;
    std::uint32_t dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
    if (!t.r.has(dataBytes)) return refuse(t.why, kEndsInside);
    for (std::uint32_t i = 0; i < dataBytes; ++i)
        if (t.r.p[t.r.pos + i] >= 0x80) return refuse(t.why, "a channel message with a data byte of 0x80 or above");
    t.r.pos += dataBytes;
    return true;
}

// A meta event: its length checked where it is fixed, a tempo change noted; `end` says it was
// the end of the track.
bool readMeta(Track& t, bool& end) {
    Reader& r = t.r;
    std::uint8_t type;
    std::uint32_t len;
    if (!r.byte(type) || !r.varLen(len) || !r.has(len)) return refuse(t.why, "a meta event runs past its track");
    int fixed = fixedMetaLength(type);
    if (fixed >= 0 && len != static_cast<std::uint32_t>(fixed)) return refuse(t.why, "a meta event has the wrong length");
    if (type == 0x51) {
        const std::uint32_t microsPerQuarter = static_cast<std::uint32_t>(r.p[r.pos] << 16 | r.p[r.pos + 1] << 8 | r.p[r.pos + 2]);
        if (microsPerQuarter == 0) return refuse(t.why, "a tempo of zero");
        if (t.tempos != nullptr) t.tempos->push_back(Tempo{t.tick, microsPerQuarter});
    }
    r.pos += len;
    end = type == 0x2F;
    return true;
}

// Reads one event after its delta time. `keep` is false for an escape event, which carries bytes
// the player cannot send; `end` is true for the end-of-track event.
bool readEvent(Track& t, std::uint8_t& status, bool& keep, bool& end) {
    keep = true;
    end = false;
    if (!readStatus(t, status)) return false;
    if (status < 0xF0) return readChannelMessage(t, status);
    if (status == 0xF0 || status == 0xF7) {
        std::uint32_t len;
        if (!t.r.varLen(len) || !t.r.skip(len)) return refuse(t.why, "a system-exclusive event runs past its track");
        keep = status == 0xF0;
        return true;
    }
    if (status == 0xFF) return readMeta(t, end);
    return refuse(t.why, "a status byte that has no place in a file");
}

void putEndOfTrack(std::vector<std::uint8_t>* out, std::uint64_t delta) {
    if (out == nullptr) return;
    putDelta(*out, delta);
    out->insert(out->end(), {0xFF, 0x2F, 0x00});
}

// Checks one track. A track whose data stops between two events ends at its last event, as if
// an end-of-track event followed it; one that stops inside an event is refused.
// With `out`, its events are appended there, each with its status byte, ending with an
// end-of-track event (escape events dropped, their delta time added to the next event's); its
// tempo changes go to `tempos` and its length in ticks to `ticks`.
bool checkTrack(Reader r, const char** why, std::vector<std::uint8_t>* out = nullptr,
                std::vector<Tempo>* tempos = nullptr, std::uint64_t* ticks = nullptr) {
    Track t{r, why, tempos};
    std::uint64_t carried = 0;   // delta time of dropped events
    for (;;) {
        if (!t.r.has(1)) {
            putEndOfTrack(out, carried);
            break;
        }
        std::uint32_t delta;
        if (!t.r.varLen(delta)) return refuse(why, t.r.overlong ? "a delta time longer than four bytes" : kEndsInside);
        t.tick += delta;
        const std::size_t eventAt = t.r.pos;
        std::uint8_t status;
        bool keep, end;
        if (!readEvent(t, status, keep, end)) return false;
        if (end) {
            putEndOfTrack(out, delta + carried);
            break;
        }
        if (out == nullptr) continue;
        if (!keep) {
            carried += delta;
            continue;
        }
        putDelta(*out, delta + carried);
        carried = 0;
        // The event's bytes as written; a running-status event gets its status byte back, so
        // that the player need not carry it over the meta, system-exclusive or escape events
        // before it.
        if (t.r.p[eventAt] < 0x80) out->push_back(status);
        out->insert(out->end(), t.r.p + eventAt, t.r.p + t.r.pos);
    }
    if (ticks != nullptr) *ticks = t.tick;
    return true;
}

struct Header {
    std::uint32_t length;   // of the header chunk's data
    std::uint16_t format;
    std::uint16_t tracks;
    std::uint16_t division;
};

bool readHeader(const std::uint8_t* data, std::size_t size, Header& h, const char** why) {
    if (data == nullptr || size < 14 || size > kMaxMidiFileBytes || readBe32(data) != 0x4D546864u)
        return refuse(why, "not a standard MIDI file");
    h.length = readBe32(data + 4);
    if (h.length < 6 || h.length > size - 8) return refuse(why, "a bad header chunk");
    h.format = readBe16(data + 8);
    h.tracks = readBe16(data + 10);
    h.division = readBe16(data + 12);
    if (h.format > 2) return refuse(why, "only formats 0, 1 and 2 are played");
    if (h.tracks == 0) return refuse(why, "a file of no tracks");
    if (h.format == 0 && h.tracks != 1) return refuse(why, "a format-0 file of more than one track");
    if (h.division == 0 || (h.division & 0x8000) != 0) return refuse(why, "only metrical time divisions are played");
    if (h.tracks > kMaxMidiTracks) return refuse(why, "more than 128 tracks");
    return true;
}

// The normal form as its tracks are added: the file the player reads (when it is wanted), every
// track's tempo changes and the tick at which the last track ends.
struct NormalForm {
    bool keepFile = false;
    std::vector<std::uint8_t> file;
    std::vector<Tempo> tempos;
    std::uint64_t endTick = 0;
};

// One track chunk through checkTrack: its timing noted and, with the file kept, its events added
// and then its length filled in.
bool addTrack(Reader r, NormalForm& n, const char** why) {
    const std::size_t chunkAt = n.file.size();
    if (n.keepFile) n.file.insert(n.file.end(), {'M', 'T', 'r', 'k', 0, 0, 0, 0});
    std::uint64_t ticks = 0;
    if (!checkTrack(r, why, n.keepFile ? &n.file : nullptr, &n.tempos, &ticks)) return false;
    if (n.keepFile) {
        const std::size_t trackLen = n.file.size() - chunkAt - 8;
        for (int i = 0; i < 4; ++i) n.file[chunkAt + 4 + i] = static_cast<std::uint8_t>(trackLen >> (24 - 8 * i));
    }
    n.endTick = std::max(n.endTick, ticks);
    return true;
}

// The chunks after the header, until as many tracks as the header says have been read; chunks of
// other kinds are skipped. Each track is added to `n`.
bool readTracks(const std::uint8_t* data, std::size_t size, const Header& h, NormalForm& n, const char** why) {
    std::size_t pos = 8 + static_cast<std::size_t>(h.length);
    int found = 0;
    while (found < h.tracks) {
        if (size - pos < 8) return refuse(why, "fewer tracks than the header says");
        const std::uint8_t* id = data + pos;
        std::uint32_t len = readBe32(data + pos + 4);
        const bool isTrack = readBe32(id) == 0x4D54726Bu;
        // A track said to be longer than the rest of the file is what is there: no chunk can
        // follow it, so it must be the last.
        if (isTrack && len > size - pos - 8) len = static_cast<std::uint32_t>(size - pos - 8);
        if (!printable(id) || len > size - pos - 8) return refuse(why, "a chunk runs past the end of the file");
        if (isTrack) {
            Reader r{data, pos + 8, pos + 8 + len};
            if (!addTrack(r, n, why)) return false;
            ++found;
        }
        pos += 8 + static_cast<std::size_t>(len);
    }
    return true;
}

// The length in microseconds: each stretch between tempo changes at the tempo in force (500000 us
// a quarter until the first change). False for a piece longer than kMaxMidiPieceMicros: a file of
// a few hundred bytes can last millennia, past what 64 bits of microseconds or frames hold.
bool lengthMicros(std::vector<Tempo>& tempos, std::uint64_t endTick, std::uint16_t division, std::uint64_t& out) {
    std::stable_sort(tempos.begin(), tempos.end(), [](const Tempo& a, const Tempo& b) { return a.tick < b.tick; });
    long double micros = 0;
    std::uint64_t at = 0;
    std::uint32_t tempo = 500000;
    for (const Tempo& t : tempos) {
        if (t.tick >= endTick) break;
        micros += static_cast<long double>(t.tick - at) * tempo / division;
        at = t.tick;
        tempo = t.microsPerQuarter;
    }
    micros += static_cast<long double>(endTick - at) * tempo / division;
    if (micros > static_cast<long double>(kMaxMidiPieceMicros)) return false;
    out = static_cast<std::uint64_t>(micros + 0.5L);
    return true;
}

bool normalise(const std::uint8_t* data, std::size_t size, MidiPiece* piece, const char** why) {
    const char* reason = nullptr;
    const char** out = why != nullptr ? why : &reason;
    Header h;
    if (!readHeader(data, size, h, out)) return false;
    NormalForm n;
    n.keepFile = piece != nullptr;
    // Format 2's patterns play together from the start, as format 1's tracks do: the player is
    // handed a format-1 file.
    if (n.keepFile)
        n.file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, static_cast<std::uint8_t>(h.format == 2 ? 1 : h.format),
                  data[10], data[11], data[12], data[13]};
    if (!readTracks(data, size, h, n, out)) return false;
    std::uint64_t micros = 0;
    if (!lengthMicros(n.tempos, n.endTick, h.division, micros)) return refuse(out, "a piece longer than 24 hours");
    if (piece == nullptr) return true;
    piece->file = std::move(n.file);
    piece->micros = micros;
    return true;
}

}  // namespace

bool checkMidiFile(const std::uint8_t* data, std::size_t size, const char** why) {
    return normalise(data, size, nullptr, why);
}

std::int64_t MidiPiece::frames(std::uint32_t rate) const {
    // Whole seconds and the rest apart, so that no product passes 64 bits short of the limit.
    constexpr std::uint64_t kMicrosPerSecond = 1000000;
    const std::uint64_t seconds = micros / kMicrosPerSecond, rest = micros % kMicrosPerSecond;
    constexpr std::uint64_t kMost = static_cast<std::uint64_t>(INT64_MAX);
    if (rate != 0 && seconds > (kMost - rate) / rate) return INT64_MAX;
    return static_cast<std::int64_t>(seconds * rate + (rest * rate + kMicrosPerSecond / 2) / kMicrosPerSecond);
}

bool normaliseMidiFile(const std::uint8_t* data, std::size_t size, MidiPiece& out, const char** why) {
    out = MidiPiece{};
    return normalise(data, size, &out, why);
}

}  // namespace platform
