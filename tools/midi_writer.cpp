// Asset generator: building the tracks of a standard MIDI file (format 1) event by event.
#include "tools/midi_writer.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace assets {
namespace {

void Check(bool ok, const char* what) {
    if (!ok) throw std::invalid_argument(what);
}

std::uint8_t Data7(int value, const char* what) {
    Check(value >= 0 && value <= 127, what);
    return static_cast<std::uint8_t>(value);
}

std::uint8_t Status(int kind, int channel) {
    Check(channel >= 0 && channel <= 15, "MIDI channel out of range");
    return static_cast<std::uint8_t>(kind | channel);
}

}  // namespace

void MidiTrack::Add(std::uint32_t tick, int order, Bytes data) { events_.push_back({tick, order, std::move(data)}); }

void MidiTrack::Meta(std::uint32_t tick, std::uint8_t type, const Bytes& data) {
    Bytes event{0xFF, type};
    platform::putVarLen(event, static_cast<std::uint32_t>(data.size()));
    event.insert(event.end(), data.begin(), data.end());
    Add(tick, 0, std::move(event));
}

void MidiTrack::Tempo(std::uint32_t tick, std::uint32_t microsPerQuarter) {
    Check(microsPerQuarter > 0 && microsPerQuarter < (1u << 24), "tempo out of range");
    Bytes data;
    platform::putBe24(data, microsPerQuarter);
    Meta(tick, 0x51, data);
}

void MidiTrack::Program(std::uint32_t tick, int channel, int program) {
    Add(tick, 0, {Status(0xC0, channel), Data7(program, "program out of range")});
}

void MidiTrack::Control(std::uint32_t tick, int channel, int controller, int value) {
    Add(tick, 0, {Status(0xB0, channel), Data7(controller, "controller out of range"), Data7(value, "controller value out of range")});
}

void MidiTrack::Note(std::uint32_t tick, std::uint32_t length, int channel, int key, int velocity) {
    Check(length > 0 && length <= UINT32_MAX - tick, "note length out of range");
    Check(velocity > 0, "a note needs a velocity above 0");
    std::uint8_t k = Data7(key, "key out of range"), v = Data7(velocity, "velocity out of range");
    Add(tick, 2, {Status(0x90, channel), k, v});
    Add(tick + length, 1, {Status(0x80, channel), k, 64});
}

Bytes MidiTrack::Chunk(std::uint32_t endTick) const {
    std::vector<Event> sorted = events_;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    if (!sorted.empty() && sorted.back().tick > endTick) throw std::logic_error("track '" + name_ + "' runs past its end");

    Bytes body;
    platform::putVarLen(body, 0);
    body.insert(body.end(), {0xFF, 0x03});
    platform::putVarLen(body, static_cast<std::uint32_t>(name_.size()));
    platform::putText(body, name_);
    std::uint32_t now = 0;
    for (const Event& e : sorted) {
        platform::putVarLen(body, e.tick - now);
        body.insert(body.end(), e.data.begin(), e.data.end());
        now = e.tick;
    }
    platform::putVarLen(body, endTick - now);
    body.insert(body.end(), {0xFF, 0x2F, 0x00});

    Bytes chunk;
    platform::putText(chunk, "MTrk");
    platform::putBe32(chunk, static_cast<std::uint32_t>(body.size()));
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
}

Bytes MidiFile(const std::vector<MidiTrack>& tracks, int ticksPerQuarter, std::uint32_t endTick) {
    Check(!tracks.empty() && tracks.size() <= 0xFFFF, "track count out of range");
    Check(ticksPerQuarter > 0 && ticksPerQuarter <= 0x7FFF, "ticks per quarter note out of range");
    Bytes out;
    platform::putText(out, "MThd");
    platform::putBe32(out, 6);
    platform::putBe16(out, 1);  // format 1: simultaneous tracks
    platform::putBe16(out, static_cast<std::uint32_t>(tracks.size()));
    platform::putBe16(out, static_cast<std::uint32_t>(ticksPerQuarter));
    for (const MidiTrack& track : tracks) {
        Bytes chunk = track.Chunk(endTick);
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

}  // namespace assets
