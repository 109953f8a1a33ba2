// Platform: the structure check of standard MIDI files.
#include "platform/midi_file.h"

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
    // A variable-length quantity: at most four bytes, seven bits each.
    bool varLen(std::uint32_t& v) {
        v = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t b;
            if (!byte(b)) return false;
            v = (v << 7) | (b & 0x7F);
            if ((b & 0x80) == 0) return true;
        }
        return false;
    }
    bool skip(std::uint32_t n) {
        if (!has(n)) return false;
        pos += n;
        return true;
    }
};

std::uint32_t Be32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}
std::uint16_t Be16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }

bool Printable(const std::uint8_t* id) {
    for (int i = 0; i < 4; ++i)
        if (id[i] < 0x20 || id[i] > 0x7E) return false;
    return true;
}

// Meta events whose data has a fixed length; a file that breaks it is refused.
int FixedMetaLength(std::uint8_t type) {
    switch (type) {
        case 0x2F: return 0;   // end of track
        case 0x51: return 3;   // tempo
        case 0x54: return 5;   // SMPTE offset
        case 0x58: return 4;   // time signature
        case 0x59: return 2;   // key signature
        default: return -1;
    }
}

bool CheckTrack(Reader r, const char** why) {
    std::uint8_t running = 0;
    for (;;) {
        std::uint32_t delta;
        if (!r.varLen(delta)) {
            *why = "a track ends without its end-of-track event";
            return false;
        }
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
        if (status < 0xF0) {
            running = status;
            std::uint8_t kind = status & 0xF0;
            std::uint32_t dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
            if (!r.skip(dataBytes)) {
                *why = "a track ends inside an event";
                return false;
            }
        } else if (status == 0xF0 || status == 0xF7) {
            running = 0;
            std::uint32_t len;
            if (!r.varLen(len) || !r.skip(len)) {
                *why = "a system-exclusive event runs past its track";
                return false;
            }
        } else if (status == 0xFF) {
            running = 0;
            std::uint8_t type;
            std::uint32_t len;
            if (!r.byte(type) || !r.varLen(len) || !r.has(len)) {
                *why = "a meta event runs past its track";
                return false;
            }
            int fixed = FixedMetaLength(type);
            if (fixed >= 0 && len != static_cast<std::uint32_t>(fixed)) {
                *why = "a meta event has the wrong length";
                return false;
            }
            if (type == 0x51 && (r.p[r.pos] | r.p[r.pos + 1] | r.p[r.pos + 2]) == 0) {
                *why = "a tempo of zero";
                return false;
            }
            r.pos += len;
            if (type == 0x2F) return true;
        } else {
            *why = "a status byte that has no place in a file";
            return false;
        }
    }
}

}  // namespace

bool checkMidiFile(const std::uint8_t* data, std::size_t size, const char** why) {
    const char* reason = nullptr;
    const char** out = why != nullptr ? why : &reason;
    if (data == nullptr || size < 14 || size > kMaxMidiFileBytes || Be32(data) != 0x4D546864u) {
        *out = "not a standard MIDI file";
        return false;
    }
    std::uint32_t headerLen = Be32(data + 4);
    if (headerLen < 6 || headerLen > size - 8) {
        *out = "a bad header chunk";
        return false;
    }
    std::uint16_t format = Be16(data + 8);
    std::uint16_t tracks = Be16(data + 10);
    std::uint16_t division = Be16(data + 12);
    if (format > 1 || tracks == 0 || (format == 0 && tracks != 1)) {
        *out = "only formats 0 and 1 are played";
        return false;
    }
    if (division == 0 || (division & 0x8000) != 0) {
        *out = "only metrical time divisions are played";
        return false;
    }
    std::size_t pos = 8 + static_cast<std::size_t>(headerLen);
    int found = 0;
    while (found < tracks) {
        if (size - pos < 8) {
            *out = "fewer tracks than the header says";
            return false;
        }
        const std::uint8_t* id = data + pos;
        std::uint32_t len = Be32(data + pos + 4);
        if (!Printable(id) || len > size - pos - 8) {
            *out = "a chunk runs past the end of the file";
            return false;
        }
        if (Be32(id) == 0x4D54726Bu) {
            if (!CheckTrack(Reader{data, pos + 8, pos + 8 + len}, out)) return false;
            ++found;
        }
        pos += 8 + static_cast<std::size_t>(len);
    }
    return true;
}

}  // namespace platform
