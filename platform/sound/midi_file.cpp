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

// Checks one track. A track whose data stops between two events ends at its last event, as if
// an end-of-track event followed it; one that stops inside an event is refused. The running
// status of channel messages carries over meta, system-exclusive and escape events.
// With `out`, its events are appended there, each with its status byte, ending with an
// end-of-track event (escape events dropped, their delta time added to the next event's); its
// tempo changes go to `tempos` and its length in ticks to `ticks`.
bool checkTrack(Reader r, const char** why, std::vector<std::uint8_t>* out = nullptr,
                std::vector<Tempo>* tempos = nullptr, std::uint64_t* ticks = nullptr) {
    std::uint8_t running = 0;
    std::uint64_t tick = 0;
    std::uint64_t carried = 0;   // delta time of dropped events
    for (;;) {
        if (!r.has(1)) {
            if (out != nullptr) {
                putDelta(*out, carried);
                out->insert(out->end(), {0xFF, 0x2F, 0x00});
            }
            if (ticks != nullptr) *ticks = tick;
            return true;
        }
        std::uint32_t delta;
        if (!r.varLen(delta)) {
            *why = r.overlong ? "a delta time longer than four bytes" : "a track ends inside an event";
            return false;
        }
        tick += delta;
        const std::size_t eventAt = r.pos;
        std::uint8_t status;
        if (!r.byte(status)) {
            *why = "a track ends inside an event";
            return false;
        }
        if (status < 0x80) {
            if (running == 0) {
                *why = "running status without a status byte before it";
                return false;
            }
            --r.pos;   // the byte was data: the running status applies
            status = running;
        }
        bool keep = true;
        if (status < 0xF0) {
            running = status;
            std::uint8_t kind = status & 0xF0;
            std::uint32_t dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
            if (!r.has(dataBytes)) {
                *why = "a track ends inside an event";
                return false;
            }
            for (std::uint32_t i = 0; i < dataBytes; ++i)
                if (r.p[r.pos + i] >= 0x80) {
                    *why = "a channel message with a data byte of 0x80 or above";
                    return false;
                }
            r.pos += dataBytes;
        } else if (status == 0xF0 || status == 0xF7) {
            std::uint32_t len;
            if (!r.varLen(len) || !r.skip(len)) {
                *why = "a system-exclusive event runs past its track";
                return false;
            }
            keep = status == 0xF0;   // an escape carries bytes the player cannot send
        } else if (status == 0xFF) {
            std::uint8_t type;
            std::uint32_t len;
            if (!r.byte(type) || !r.varLen(len) || !r.has(len)) {
                *why = "a meta event runs past its track";
                return false;
            }
            int fixed = fixedMetaLength(type);
            if (fixed >= 0 && len != static_cast<std::uint32_t>(fixed)) {
                *why = "a meta event has the wrong length";
                return false;
            }
            if (type == 0x51 && (r.p[r.pos] | r.p[r.pos + 1] | r.p[r.pos + 2]) == 0) {
                *why = "a tempo of zero";
                return false;
            }
            if (type == 0x51 && tempos != nullptr)
                tempos->push_back(Tempo{tick, static_cast<std::uint32_t>(r.p[r.pos] << 16 | r.p[r.pos + 1] << 8 |
                                                                         r.p[r.pos + 2])});
            r.pos += len;
            if (type == 0x2F) {
                if (out != nullptr) {
                    putDelta(*out, delta + carried);
                    out->insert(out->end(), {0xFF, 0x2F, 0x00});
                }
                if (ticks != nullptr) *ticks = tick;
                return true;
            }
        } else {
            *why = "a status byte that has no place in a file";
            return false;
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
        if (r.p[eventAt] < 0x80) out->push_back(status);
        out->insert(out->end(), r.p + eventAt, r.p + r.pos);
    }
}

}  // namespace

namespace {

bool normalise(const std::uint8_t* data, std::size_t size, MidiPiece* piece, const char** why) {
    const char* reason = nullptr;
    const char** out = why != nullptr ? why : &reason;
    if (data == nullptr || size < 14 || size > kMaxMidiFileBytes || readBe32(data) != 0x4D546864u) {
        *out = "not a standard MIDI file";
        return false;
    }
    std::uint32_t headerLen = readBe32(data + 4);
    if (headerLen < 6 || headerLen > size - 8) {
        *out = "a bad header chunk";
        return false;
    }
    std::uint16_t format = readBe16(data + 8);
    std::uint16_t tracks = readBe16(data + 10);
    std::uint16_t division = readBe16(data + 12);
    if (format > 2) {
        *out = "only formats 0, 1 and 2 are played";
        return false;
    }
    if (tracks == 0) {
        *out = "a file of no tracks";
        return false;
    }
    if (format == 0 && tracks != 1) {
        *out = "a format-0 file of more than one track";
        return false;
    }
    if (division == 0 || (division & 0x8000) != 0) {
        *out = "only metrical time divisions are played";
        return false;
    }
    if (tracks > kMaxMidiTracks) {
        *out = "more than 128 tracks";
        return false;
    }
    std::vector<std::uint8_t> file;
    std::vector<Tempo> tempos;
    std::uint64_t endTick = 0;
    // Format 2's patterns play together from the start, as format 1's tracks do: the player is
    // handed a format-1 file.
    if (piece != nullptr)
        file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, static_cast<std::uint8_t>(format == 2 ? 1 : format),
                data[10], data[11], data[12], data[13]};
    std::size_t pos = 8 + static_cast<std::size_t>(headerLen);
    int found = 0;
    while (found < tracks) {
        if (size - pos < 8) {
            *out = "fewer tracks than the header says";
            return false;
        }
        const std::uint8_t* id = data + pos;
        std::uint32_t len = readBe32(data + pos + 4);
        const bool isTrack = readBe32(id) == 0x4D54726Bu;
        // A track said to be longer than the rest of the file is what is there: no chunk can
        // follow it, so it must be the last.
        if (isTrack && len > size - pos - 8) len = static_cast<std::uint32_t>(size - pos - 8);
        if (!printable(id) || len > size - pos - 8) {
            *out = "a chunk runs past the end of the file";
            return false;
        }
        if (isTrack) {
            Reader r{data, pos + 8, pos + 8 + len};
            if (piece == nullptr) {
                if (!checkTrack(r, out)) return false;
            } else {
                const std::size_t chunkAt = file.size();
                file.insert(file.end(), {'M', 'T', 'r', 'k', 0, 0, 0, 0});
                std::uint64_t ticks = 0;
                if (!checkTrack(r, out, &file, &tempos, &ticks)) return false;
                const std::size_t trackLen = file.size() - chunkAt - 8;
                for (int i = 0; i < 4; ++i) file[chunkAt + 4 + i] = static_cast<std::uint8_t>(trackLen >> (24 - 8 * i));
                endTick = std::max(endTick, ticks);
            }
            ++found;
        }
        pos += 8 + static_cast<std::size_t>(len);
    }
    if (piece == nullptr) return true;
    // The length: each stretch between tempo changes at the tempo in force (500000 us a quarter
    // until the first change).
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
    piece->file = std::move(file);
    piece->micros = static_cast<std::uint64_t>(micros + 0.5L);
    return true;
}

}  // namespace

bool checkMidiFile(const std::uint8_t* data, std::size_t size, const char** why) {
    return normalise(data, size, nullptr, why);
}

bool normaliseMidiFile(const std::uint8_t* data, std::size_t size, MidiPiece& out, const char** why) {
    out = MidiPiece{};
    return normalise(data, size, &out, why);
}

}  // namespace platform
