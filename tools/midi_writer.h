// Asset generator: building the tracks of a standard MIDI file (format 1) event by event.
#pragma once
#include <string>
#include <vector>

#include "tools/asset_bytes.h"

namespace assets {

// One track: events in any order, sorted by tick when the chunk is written. At the same tick,
// meta and controller events come first, then note releases, then new notes, so that a note
// repeated on the beat is released before it sounds again.
class MidiTrack {
public:
    explicit MidiTrack(std::string name) : name_(std::move(name)) {}

    void Meta(std::uint32_t tick, std::uint8_t type, const Bytes& data);
    void Tempo(std::uint32_t tick, std::uint32_t microsPerQuarter);
    void Program(std::uint32_t tick, int channel, int program);
    void Control(std::uint32_t tick, int channel, int controller, int value);
    // Sounds key on channel (0 to 15) from tick for length ticks; throws std::invalid_argument for a
    // key, velocity or channel out of range, or an empty length.
    void Note(std::uint32_t tick, std::uint32_t length, int channel, int key, int velocity);

    // The MTrk chunk: the track name, the events, and the end of track exactly at endTick, so that
    // every track ends at the loop point. Throws std::logic_error if an event lies after endTick.
    Bytes Chunk(std::uint32_t endTick) const;

private:
    struct Event {
        std::uint32_t tick;
        int order;  // 0 meta and controllers, 1 note release, 2 note start
        Bytes data;
    };
    void Add(std::uint32_t tick, int order, Bytes data);

    std::string name_;
    std::vector<Event> events_;
};

// The whole file: MThd (format 1, the tracks' count, ticks per quarter note), then each track.
Bytes MidiFile(const std::vector<MidiTrack>& tracks, int ticksPerQuarter, std::uint32_t endTick);

}  // namespace assets
