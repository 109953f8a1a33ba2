// Sound font cutting (sf2_cut.h): a MIDI file's programs, and a SoundFont 2 writer that keeps some
// presets. A SoundFont 2 file is a RIFF form 'sfbk' of three lists: INFO (copied as it is), sdta
// (the 16-bit samples in 'smpl', optionally their low bytes in 'sm24') and pdta, nine arrays of
// fixed-size records, each closed by a terminal record: presets (phdr) own zones (pbag) of
// generators (pgen) and modulators (pmod); a preset zone's generator 41 names an instrument
// (inst), whose zones (ibag, igen, imod) name samples (shdr) with generator 53.
#include "tools/sf2_cut.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>

namespace sf2cut {
namespace {

[[noreturn]] void fail(const std::string& why) { throw FormatError(why); }

std::uint32_t be(const Bytes& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | b[at + i];
    return v;
}

std::uint32_t le(const std::uint8_t* p, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

void putLe(Bytes& out, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void setLe(std::uint8_t* p, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// ------------------------------------------------------------------------------------- MIDI

struct MidiEvent {
    std::uint64_t tick;
    int track;
    std::size_t order;
    std::uint8_t status, data1, data2;
};

// The track's channel events, with absolute ticks.
void readTrack(const Bytes& b, std::size_t at, std::size_t end, int track, std::vector<MidiEvent>& out) {
    std::uint64_t tick = 0;
    std::uint8_t running = 0;
    auto byte = [&]() -> std::uint8_t {
        if (at >= end) fail("MIDI track " + std::to_string(track) + " ends in the middle of an event");
        return b[at++];
    };
    auto vlq = [&]() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t c = byte();
            v = v << 7 | (c & 0x7f);
            if (!(c & 0x80)) return v;
        }
        fail("MIDI track " + std::to_string(track) + " has a variable-length number longer than 4 bytes");
    };
    while (at < end) {
        tick += vlq();
        std::uint8_t status = byte();
        if (status == 0xff) {
            std::uint8_t type = byte();
            std::uint32_t len = vlq();
            if (len > end - at) fail("MIDI track " + std::to_string(track) + " has a meta event past its end");
            at += len;
            if (type == 0x2f) break;
            continue;
        }
        if (status == 0xf0 || status == 0xf7) {
            std::uint32_t len = vlq();
            if (len > end - at) fail("MIDI track " + std::to_string(track) + " has a system exclusive past its end");
            at += len;
            continue;
        }
        std::uint8_t d1;
        if (status & 0x80) {
            if (status >= 0xf0) fail("MIDI track " + std::to_string(track) + " has a system message in a file");
            running = status;
            d1 = byte();
        } else {
            if (running == 0) fail("MIDI track " + std::to_string(track) + " starts with running status");
            d1 = status;
            status = running;
        }
        std::uint8_t d2 = 0;
        int kind = status & 0xf0;
        if (kind != 0xc0 && kind != 0xd0) d2 = byte();
        out.push_back({tick, track, out.size(), status, d1, d2});
    }
}

// ------------------------------------------------------------------------------------- RIFF

struct Chunk {
    std::string id;
    std::size_t at = 0, size = 0;  // the data
};

// The chunks between at and end.
std::vector<Chunk> chunks(const Bytes& b, std::size_t at, std::size_t end, const std::string& where) {
    std::vector<Chunk> out;
    while (at + 8 <= end) {
        Chunk c;
        c.id.assign(reinterpret_cast<const char*>(&b[at]), 4);
        c.size = le(&b[at + 4], 4);
        c.at = at + 8;
        if (c.size > end - c.at) fail("the sound font's chunk '" + c.id + "' in " + where + " runs past its end");
        out.push_back(c);
        at = c.at + c.size + (c.size & 1);
    }
    return out;
}

// A pdta array of fixed-size records, the terminal record included.
struct Records {
    const std::uint8_t* p = nullptr;
    std::size_t count = 0, size = 0;
    const std::uint8_t* operator[](std::size_t i) const { return p + i * size; }
};

struct Font {
    Chunk info, smpl, sm24;
    bool hasSm24 = false;
    Records phdr, pbag, pmod, pgen, inst, ibag, imod, igen, shdr;
};

Font parse(const Bytes& b) {
    if (b.size() < 12 || std::memcmp(&b[0], "RIFF", 4) != 0 || std::memcmp(&b[8], "sfbk", 4) != 0)
        fail("not a SoundFont 2 file (no RIFF 'sfbk' form)");
    std::size_t end = 8 + static_cast<std::size_t>(le(&b[4], 4));
    if (end > b.size()) fail("the sound font is cut short: its RIFF form is longer than the file");
    Font f;
    bool info = false, sdta = false, pdta = false;
    for (const Chunk& list : chunks(b, 12, end, "the file")) {
        if (list.id != "LIST" || list.size < 4) continue;
        std::string type(reinterpret_cast<const char*>(&b[list.at]), 4);
        if (type == "INFO") {
            f.info = list;
            info = true;
        } else if (type == "sdta") {
            for (const Chunk& c : chunks(b, list.at + 4, list.at + list.size, "sdta")) {
                if (c.id == "smpl") f.smpl = c, sdta = true;
                if (c.id == "sm24") f.sm24 = c, f.hasSm24 = true;
            }
        } else if (type == "pdta") {
            const std::array<std::pair<const char*, std::pair<Records*, std::size_t>>, 9> arrays{{
                {"phdr", {&f.phdr, 38}}, {"pbag", {&f.pbag, 4}}, {"pmod", {&f.pmod, 10}},
                {"pgen", {&f.pgen, 4}},  {"inst", {&f.inst, 22}}, {"ibag", {&f.ibag, 4}},
                {"imod", {&f.imod, 10}}, {"igen", {&f.igen, 4}},  {"shdr", {&f.shdr, 46}},
            }};
            if (pdta) fail("the sound font holds two pdta lists");
            std::array<bool, 9> found{};
            for (const Chunk& c : chunks(b, list.at + 4, list.at + list.size, "pdta")) {
                for (std::size_t k = 0; k < arrays.size(); ++k) {
                    const auto& [id, target] = arrays[k];
                    if (c.id != id) continue;
                    if (found[k]) fail("the sound font's pdta holds '" + c.id + "' twice");
                    auto [records, size] = target;
                    if (c.size % size != 0 || c.size < size)
                        fail("the sound font's '" + c.id + "' is not a whole number of records");
                    *records = Records{&b[c.at], c.size / size, size};
                    found[k] = true;
                }
            }
            for (std::size_t k = 0; k < arrays.size(); ++k)
                if (!found[k]) fail(std::string("the sound font's pdta lacks its '") + arrays[k].first + "' array");
            pdta = true;
        }
    }
    if (!info || !sdta || !pdta) fail("the sound font lacks its INFO, sdta or pdta list");
    if (f.hasSm24 && f.sm24.size < f.smpl.size / 2) fail("the sound font's sm24 is shorter than its samples");
    return f;
}

std::uint16_t u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(le(p, 2)); }

// The record range [first, last) of the zones or generators of record i, checked.
std::pair<std::size_t, std::size_t> range(const Records& owners, std::size_t i, std::size_t offset,
                                          const Records& owned, const char* what) {
    std::size_t first = u16(owners[i] + offset), last = u16(owners[i + 1] + offset);
    if (first > last || last >= owned.count) fail(std::string("the sound font's ") + what + " indices are out of order or range");
    return {first, last};
}

constexpr int kGenInstrument = 41;
constexpr int kGenSampleId = 53;
constexpr std::uint16_t kRomSample = 0x8000;
constexpr std::uint16_t kLinkedTypes = 2 | 4 | 8;  // right, left, linked
constexpr std::size_t kSampleGuard = 46;             // zero samples after each sample

// Copies the records [first, last) of `from` to the end of `to`.
void copyRecords(const Records& from, std::size_t first, std::size_t last, Bytes& to) {
    to.insert(to.end(), from[first], from[last]);
}

void chunk(Bytes& out, const char* id, const Bytes& data) {
    // A RIFF chunk's size is 32 bits: a larger one would wrap and say something else.
    if (data.size() > 0xffffffffu - 8) fail(std::string("the cut font's '") + id + "' would pass 4 GiB, more than RIFF can hold");
    out.insert(out.end(), id, id + 4);
    putLe(out, static_cast<std::uint32_t>(data.size()), 4);
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() & 1) out.push_back(0);
}

}  // namespace

NotesByPreset notesSounded(const Bytes& midi) {
    if (midi.size() < 14 || std::memcmp(&midi[0], "MThd", 4) != 0) fail("not a standard MIDI file (no MThd header)");
    std::size_t headerLen = be(midi, 4, 4);
    if (headerLen < 6 || headerLen > midi.size() - 8) fail("the MIDI file's header is cut short");
    int tracks = static_cast<int>(be(midi, 10, 2));
    std::vector<MidiEvent> events;
    std::size_t at = 8 + headerLen;
    for (int t = 0; t < tracks; ++t) {
        if (at + 8 > midi.size()) fail("the MIDI file has fewer tracks than its header says");
        if (std::memcmp(&midi[at], "MTrk", 4) != 0) fail("the MIDI file's track " + std::to_string(t) + " has no MTrk chunk");
        std::size_t len = be(midi, at + 4, 4);
        if (len > midi.size() - at - 8) fail("the MIDI file's track " + std::to_string(t) + " runs past the file's end");
        readTrack(midi, at + 8, at + 8 + len, t, events);
        at += 8 + len;
    }
    // The tracks play together: the channels' state follows the events in time.
    std::stable_sort(events.begin(), events.end(), [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
    std::array<int, 16> bank{}, program{};
    std::array<bool, 16> bankSelected{};
    NotesByPreset out;
    for (const MidiEvent& e : events) {
        int channel = e.status & 0x0f;
        switch (e.status & 0xf0) {
            case 0xb0:
                if (e.data1 == 0) bank[channel] = e.data2, bankSelected[channel] = true;
                break;
            case 0xc0:
                program[channel] = e.data1;
                break;
            case 0x90:
                if (e.data2 == 0) break;
                const Note note{e.data1, e.data2};
                if (channel == 9) {
                    out[{128, program[channel]}].insert(note);
                    out[{128, 0}].insert(note);
                    if (bankSelected[channel]) out[{bank[channel], program[channel]}].insert(note);
                } else {
                    out[{bank[channel], program[channel]}].insert(note);
                    out[{0, program[channel]}].insert(note);
                }
                break;
        }
    }
    return out;
}

std::set<PresetId> presetsSounded(const Bytes& midi) {
    std::set<PresetId> out;
    for (const auto& entry : notesSounded(midi)) out.insert(entry.first);
    return out;
}

std::set<PresetId> fontPresets(const Bytes& sf2) {
    Font f = parse(sf2);
    std::set<PresetId> out;
    for (std::size_t i = 0; i + 1 < f.phdr.count; ++i) out.insert({u16(f.phdr[i] + 22), u16(f.phdr[i] + 20)});
    return out;
}

namespace {

constexpr int kGenKeyRange = 43;
constexpr int kGenVelRange = 44;

// A zone: its record, what it names (an instrument or a sample; -1 for none, a global zone), and
// the keys and velocities it answers.
struct Zone {
    std::size_t index = 0;
    long named = -1;
    int keyLo = 0, keyHi = 127, velLo = 0, velHi = 127;
    bool answers(const Note& n) const { return n.first >= keyLo && n.first <= keyHi && n.second >= velLo && n.second <= velHi; }
};

std::vector<Zone> zonesOf(const Records& owners, std::size_t i, std::size_t bagOffset, const Records& bags,
                          const Records& gens, const Records& mods, int oper, std::size_t limit, const char* what) {
    std::vector<Zone> out;
    auto [b0, b1] = range(owners, i, bagOffset, bags, what);
    for (std::size_t z = b0; z < b1; ++z) {
        Zone zone;
        zone.index = z;
        auto [g0, g1] = range(bags, z, 0, gens, what);
        range(bags, z, 2, mods, what);
        for (std::size_t g = g0; g < g1; ++g) {
            const int op = u16(gens[g]);
            const int lo = gens[g][2], hi = gens[g][3];
            if (op == kGenKeyRange) zone.keyLo = lo, zone.keyHi = hi;
            if (op == kGenVelRange) zone.velLo = lo, zone.velHi = hi;
            if (op == oper) {
                // The synthesiser and the renumbering below take one: a second is no font's.
                if (zone.named >= 0)
                    fail(std::string(what[0] == 'i' ? "an " : "a ") + what + " of the sound font names two " +
                         (oper == kGenInstrument ? "instruments" : "samples"));
                zone.named = u16(gens[g] + 2);
                if (static_cast<std::size_t>(zone.named) >= limit)
                    fail(std::string(what[0] == 'i' ? "an " : "a ") + what + " of the sound font names " +
                         (oper == kGenInstrument ? "an instrument" : "a sample") + " it does not have");
            }
        }
        out.push_back(zone);
    }
    return out;
}

// The notes of `notes` a zone answers (all of them when notes is null).
bool answersAny(const Zone& z, const NoteSet* notes) {
    if (notes == nullptr) return true;
    for (const Note& n : *notes)
        if (z.answers(n)) return true;
    return false;
}

// Writes the zones of one preset or instrument: bags, generators (renumbering what they name) and
// modulators.
void writeZones(const std::vector<Zone>& zones, const Records& bags, const Records& gens, const Records& mods, int oper,
                const std::map<std::size_t, std::size_t>& index, Bytes& bagOut, Bytes& genOut, Bytes& modOut) {
    for (const Zone& zone : zones) {
        putLe(bagOut, static_cast<std::uint32_t>(genOut.size() / 4), 2);
        putLe(bagOut, static_cast<std::uint32_t>(modOut.size() / 10), 2);
        const std::size_t z = zone.index;
        for (std::size_t g = u16(bags[z]); g < u16(bags[z + 1]); ++g) {
            std::size_t at = genOut.size();
            copyRecords(gens, g, g + 1, genOut);
            if (u16(gens[g]) == oper) setLe(&genOut[at + 2], static_cast<std::uint32_t>(index.at(u16(gens[g] + 2))), 2);
        }
        copyRecords(mods, u16(bags[z] + 2), u16(bags[z + 1] + 2), modOut);
    }
}

Bytes cut(const Bytes& sf2, const std::set<PresetId>& keep, const NotesByPreset* notes, CutSummary* summary) {
    Font f = parse(sf2);
    const std::size_t presets = f.phdr.count - 1, instruments = f.inst.count - 1, samples = f.shdr.count - 1;

    // What is kept: the presets asked for, with their zones that answer a note played with them
    // (and their global zones), the instruments those name, with their zones that answer a note
    // that reaches them, and the samples those name.
    std::vector<std::pair<std::size_t, std::vector<Zone>>> keptPresets;
    std::map<std::size_t, NoteSet> instrumentNotes;
    std::set<std::size_t> usedInstruments, usedSamples;
    for (std::size_t i = 0; i < presets; ++i) {
        const PresetId id{u16(f.phdr[i] + 22), u16(f.phdr[i] + 20)};
        if (!keep.count(id)) continue;
        const NoteSet* played = nullptr;
        if (notes != nullptr) played = &notes->at(id);
        std::vector<Zone> kept;
        for (const Zone& z : zonesOf(f.phdr, i, 24, f.pbag, f.pgen, f.pmod, kGenInstrument, instruments, "preset zone")) {
            if (z.named >= 0 && !answersAny(z, played)) continue;
            kept.push_back(z);
            if (z.named < 0) continue;
            usedInstruments.insert(static_cast<std::size_t>(z.named));
            if (played == nullptr) continue;
            for (const Note& n : *played)
                if (z.answers(n)) instrumentNotes[static_cast<std::size_t>(z.named)].insert(n);
        }
        keptPresets.emplace_back(i, std::move(kept));
    }
    std::vector<std::pair<std::size_t, std::vector<Zone>>> keptInstruments;
    for (std::size_t n : usedInstruments) {
        const NoteSet* played = notes != nullptr ? &instrumentNotes[n] : nullptr;
        std::vector<Zone> kept;
        for (const Zone& z : zonesOf(f.inst, n, 20, f.ibag, f.igen, f.imod, kGenSampleId, samples, "instrument zone")) {
            if (z.named >= 0 && !answersAny(z, played)) continue;
            kept.push_back(z);
            if (z.named >= 0) usedSamples.insert(static_cast<std::size_t>(z.named));
        }
        keptInstruments.emplace_back(n, std::move(kept));
    }
    // A stereo sample's other half plays with it.
    for (std::vector<std::size_t> todo(usedSamples.begin(), usedSamples.end()); !todo.empty();) {
        std::size_t s = todo.back();
        todo.pop_back();
        std::uint16_t type = u16(f.shdr[s] + 44);
        if (type & kRomSample) fail("the sound font uses samples from a ROM, which it does not hold");
        if (!(type & kLinkedTypes)) continue;
        std::size_t link = u16(f.shdr[s] + 42);
        if (link >= samples) fail("a sample of the sound font is linked to one it does not have");
        if (usedSamples.insert(link).second) todo.push_back(link);
    }

    std::map<std::size_t, std::size_t> instrumentIndex, sampleIndex;
    for (std::size_t n : usedInstruments) instrumentIndex.emplace(n, instrumentIndex.size());
    for (std::size_t s : usedSamples) sampleIndex.emplace(s, sampleIndex.size());

    // Presets and instruments with their zones.
    Bytes phdr, pbag, pmod, pgen;
    for (const auto& [i, zones] : keptPresets) {
        std::size_t at = phdr.size();
        copyRecords(f.phdr, i, i + 1, phdr);
        setLe(&phdr[at + 24], static_cast<std::uint32_t>(pbag.size() / 4), 2);
        writeZones(zones, f.pbag, f.pgen, f.pmod, kGenInstrument, instrumentIndex, pbag, pgen, pmod);
    }
    Bytes inst, ibag, imod, igen;
    for (const auto& [n, zones] : keptInstruments) {
        std::size_t at = inst.size();
        copyRecords(f.inst, n, n + 1, inst);
        setLe(&inst[at + 20], static_cast<std::uint32_t>(ibag.size() / 4), 2);
        writeZones(zones, f.ibag, f.igen, f.imod, kGenSampleId, sampleIndex, ibag, igen, imod);
    }
    // The terminal records: the last preset's and instrument's zone indices close the lists.
    auto terminal = [](Bytes& out, const Records& from, std::size_t index, std::size_t offset, std::size_t value) {
        std::size_t at = out.size();
        copyRecords(from, index, index + 1, out);
        setLe(&out[at + offset], static_cast<std::uint32_t>(value), 2);
    };
    terminal(phdr, f.phdr, presets, 24, pbag.size() / 4);
    terminal(inst, f.inst, instruments, 20, ibag.size() / 4);
    for (Bytes* bag : {&pbag, &ibag}) {
        Bytes& gens = bag == &pbag ? pgen : igen;
        Bytes& mods = bag == &pbag ? pmod : imod;
        putLe(*bag, static_cast<std::uint32_t>(gens.size() / 4), 2);
        putLe(*bag, static_cast<std::uint32_t>(mods.size() / 10), 2);
    }
    pgen.insert(pgen.end(), 4, 0);
    igen.insert(igen.end(), 4, 0);
    pmod.insert(pmod.end(), 10, 0);
    imod.insert(imod.end(), 10, 0);

    // The samples' data: each stretch of the data the kept samples reach (a loop reaching outside
    // its sample keeps the data it reaches, and every point of a header lies in its stretch, so
    // none is moved below the stretch's start) copied once, however many headers lie over it, and
    // followed by its guard of zeros; the headers moved with it.
    const std::size_t points = f.smpl.size / 2;
    std::map<std::size_t, std::size_t> stretches;   // first point -> past the last, overlaps joined
    for (std::size_t s : usedSamples) {
        const std::uint8_t* h = f.shdr[s];
        std::uint32_t start = le(h + 20, 4), end = le(h + 24, 4), loopStart = le(h + 28, 4), loopEnd = le(h + 32, 4);
        std::size_t lo = std::min({start, end, loopStart, loopEnd}), hi = std::max({start, end, loopStart, loopEnd});
        if (start > end || hi > points) fail("a sample of the sound font lies outside its sample data");
        auto next = stretches.upper_bound(lo);
        if (next != stretches.begin() && (std::prev(next)->second > lo || std::prev(next)->first == lo)) {
            lo = std::prev(next)->first;
            hi = std::max(hi, std::prev(next)->second);
            next = stretches.erase(std::prev(next));
        }
        while (next != stretches.end() && next->first < hi) {
            hi = std::max(hi, next->second);
            next = stretches.erase(next);
        }
        stretches.emplace(lo, hi);
    }
    Bytes smpl, sm24, shdr;
    std::map<std::size_t, std::size_t> stretchBase;   // first point -> where it lies in the cut
    for (const auto& [lo, hi] : stretches) {
        stretchBase.emplace(lo, smpl.size() / 2);
        smpl.insert(smpl.end(), sf2.data() + f.smpl.at + 2 * lo, sf2.data() + f.smpl.at + 2 * hi);
        smpl.insert(smpl.end(), 2 * kSampleGuard, 0);
        if (f.hasSm24) {
            sm24.insert(sm24.end(), sf2.data() + f.sm24.at + lo, sf2.data() + f.sm24.at + hi);
            sm24.insert(sm24.end(), kSampleGuard, 0);
        }
    }
    for (std::size_t s : usedSamples) {
        const std::uint8_t* h = f.shdr[s];
        std::uint32_t start = le(h + 20, 4), end = le(h + 24, 4), loopStart = le(h + 28, 4), loopEnd = le(h + 32, 4);
        const auto stretch = std::prev(stretches.upper_bound(std::min({start, end, loopStart, loopEnd})));
        const std::size_t lo = stretch->first, base = stretchBase.at(lo);
        std::size_t at = shdr.size();
        copyRecords(f.shdr, s, s + 1, shdr);
        auto move = [&](std::size_t offset, std::uint32_t v) { setLe(&shdr[at + offset], static_cast<std::uint32_t>(v - lo + base), 4); };
        move(20, start);
        move(24, end);
        move(28, loopStart);
        move(32, loopEnd);
        std::uint16_t type = u16(h + 44);
        if (type & kLinkedTypes) setLe(&shdr[at + 42], static_cast<std::uint32_t>(sampleIndex.at(u16(h + 42))), 2);
        else setLe(&shdr[at + 42], 0, 2);
    }
    copyRecords(f.shdr, samples, samples + 1, shdr);
    if (sm24.size() & 1) sm24.push_back(0);

    Bytes sdta{'s', 'd', 't', 'a'};
    chunk(sdta, "smpl", smpl);
    if (f.hasSm24) chunk(sdta, "sm24", sm24);
    Bytes pdta{'p', 'd', 't', 'a'};
    chunk(pdta, "phdr", phdr);
    chunk(pdta, "pbag", pbag);
    chunk(pdta, "pmod", pmod);
    chunk(pdta, "pgen", pgen);
    chunk(pdta, "inst", inst);
    chunk(pdta, "ibag", ibag);
    chunk(pdta, "imod", imod);
    chunk(pdta, "igen", igen);
    chunk(pdta, "shdr", shdr);
    Bytes body{'s', 'f', 'b', 'k'};
    body.insert(body.end(), sf2.data() + f.info.at - 8, sf2.data() + f.info.at + f.info.size);
    if (f.info.size & 1) body.push_back(0);
    chunk(body, "LIST", sdta);
    chunk(body, "LIST", pdta);
    Bytes out;
    chunk(out, "RIFF", body);

    if (summary != nullptr) {
        *summary = CutSummary{static_cast<int>(keptPresets.size()), static_cast<int>(usedInstruments.size()),
                              static_cast<int>(usedSamples.size()), static_cast<int>(presets),
                              static_cast<int>(instruments), static_cast<int>(samples)};
    }
    return out;
}

}  // namespace

Bytes cutFont(const Bytes& sf2, const std::set<PresetId>& keep, CutSummary* summary) {
    return cut(sf2, keep, nullptr, summary);
}

Bytes cutFont(const Bytes& sf2, const NotesByPreset& notes, CutSummary* summary) {
    std::set<PresetId> keep;
    for (const auto& entry : notes) keep.insert(entry.first);
    return cut(sf2, keep, &notes, summary);
}

}  // namespace sf2cut
