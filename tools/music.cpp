// Asset generator: the music QRBX.MID, a cheerful 24-bar loop in C major for General MIDI.
//
// Form: A (8 bars) B (8 bars) A' (8 bars). A is a bouncy square-lead tune over off-beat piano
// stabs; B turns lyrical with strings and a 3-3-2 push; A' brings the tune back with a vibraphone
// harmony and ends on G7 with a tom fill, which leads straight back into bar 1.
#include "tools/music.h"

#include <array>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tools/midi_writer.h"

namespace assets {
namespace {

constexpr std::uint32_t kSixteenth = kMusicTicksPerQuarter / 4;
constexpr std::uint32_t kEighth = kMusicTicksPerQuarter / 2;
constexpr std::uint32_t kBar = kMusicTicksPerQuarter * 4;
constexpr std::uint32_t kEnd = kBar * kMusicBars;

// Channels (0-based; 9 is the General MIDI percussion channel).
constexpr int kMelodyCh = 0, kChordCh = 1, kBassCh = 2, kPadCh = 3, kHarmonyCh = 4, kDrumCh = 9;

// Drum keys of the General MIDI percussion map.
constexpr int kKick = 36, kSnare = 38, kClosedHat = 42, kOpenHat = 46, kCrash = 49, kRide = 51;
constexpr int kLowFloorTom = 41, kLowMidTom = 47, kHighTom = 50;

enum class Section { A, B, Reprise };
Section SectionOf(int bar) { return bar < 8 ? Section::A : bar < 16 ? Section::B : Section::Reprise; }
bool EndsSection(int bar) { return bar % 8 == 7; }

// ---------------------------------------------------------------- harmony

struct Chord {
    std::string_view name;
    int root;  // bass register
    std::vector<int> tones;  // voiced around middle C for smooth movement from chord to chord
};

const std::array<Chord, 7> kChords = {{
    {"C", 36, {60, 64, 67}},
    {"Dm", 38, {62, 65, 69}},
    {"Em", 40, {59, 64, 67}},
    {"F", 41, {60, 65, 69}},
    {"G", 43, {59, 62, 67}},
    {"G7", 43, {59, 62, 65, 67}},
    {"Am", 33, {60, 64, 69}},
}};

// One or two chords a bar; two share the bar in halves.
const std::array<std::string_view, kMusicBars> kChordChart = {
    "C",  "Am", "F",  "G", "C",  "Am", "Dm G", "C",   // A
    "F",  "G",  "Em", "Am", "Dm", "G", "C",    "G7",  // B
    "C",  "Am", "F",  "G", "C",  "Am", "Dm",   "G7",  // A'
};

const Chord& FindChord(std::string_view name) {
    for (const Chord& c : kChords)
        if (c.name == name) return c;
    throw std::logic_error("unknown chord " + std::string(name));
}

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') ++i;
        std::size_t start = i;
        while (i < text.size() && text[i] != ' ') ++i;
        if (i > start) words.push_back(text.substr(start, i - start));
    }
    return words;
}

// The chords of a bar with the tick at which each starts.
struct ChordSpan {
    const Chord* chord;
    std::uint32_t start, length;
};
std::vector<ChordSpan> ChordsOfBar(int bar) {
    std::vector<std::string_view> names = Words(kChordChart[bar]);
    if (names.empty() || names.size() > 2) throw std::logic_error("bar " + std::to_string(bar + 1) + " needs one or two chords");
    std::vector<ChordSpan> spans;
    std::uint32_t length = kBar / static_cast<std::uint32_t>(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        spans.push_back({&FindChord(names[i]), bar * kBar + static_cast<std::uint32_t>(i) * length, length});
    return spans;
}

const Chord& ChordAt(std::uint32_t tick) {
    for (const ChordSpan& span : ChordsOfBar(static_cast<int>(tick / kBar)))
        if (tick < span.start + span.length) return *span.chord;
    throw std::logic_error("no chord at tick " + std::to_string(tick));
}

// ---------------------------------------------------------------- the tune

// Per bar: notes as name, octave and length in sixteenths ("e5:4", "f#4:2"), "r:4" for a rest.
const std::array<std::string_view, kMusicBars> kTune = {
    // A: a leap up to the tonic, answered by a falling figure
    "e5:4 g5:2 c6:2 b5:2 c6:2 g5:4",
    "a5:4 e5:2 a5:2 g5:4 e5:4",
    "f5:2 g5:2 a5:4 c6:4 a5:4",
    "g5:6 d5:2 b4:4 d5:4",
    "e5:4 g5:2 c6:2 b5:2 c6:2 e6:4",
    "d6:2 c6:2 a5:4 e5:4 a5:4",
    "f5:2 e5:2 d5:4 b4:4 d5:2 f5:2",
    "e5:2 d5:2 c5:6 r:2 g5:2 a5:2",
    // B: longer notes climbing to E6, then down through the G7 to the reprise
    "c6:6 a5:2 f5:4 a5:4",
    "b5:6 g5:2 d5:4 g5:4",
    "g5:4 b5:4 e6:6 d6:2",
    "c6:8 r:4 a5:2 b5:2",
    "c6:4 d6:4 a5:4 f5:4",
    "g5:4 b5:4 d6:4 b5:4",
    "c6:4 g5:2 e5:2 g5:4 c6:4",
    "d6:6 b5:2 g5:4 f5:4",
    // A': as A, with a turnaround on Dm and G7 that steps up into the first note again
    "e5:4 g5:2 c6:2 b5:2 c6:2 g5:4",
    "a5:4 e5:2 a5:2 g5:4 e5:4",
    "f5:2 g5:2 a5:4 c6:4 a5:4",
    "g5:6 d5:2 b4:4 d5:4",
    "e5:4 g5:2 c6:2 b5:2 c6:2 e6:4",
    "d6:2 c6:2 a5:4 e5:4 a5:4",
    "f5:4 a5:4 d6:4 c6:2 a5:2",
    "b5:4 a5:2 g5:2 f5:4 d5:4",
};

struct TuneNote {
    int key;  // -1 for a rest
    std::uint32_t start, length;
};

int ParseKey(std::string_view name) {
    static constexpr int kPitchClass[7] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    std::size_t i = 0;
    if (name.empty() || name[0] < 'a' || name[0] > 'g') return -2;
    int key = kPitchClass[name[i++] - 'a'];
    if (i < name.size() && name[i] == '#') ++key, ++i;
    if (i + 1 != name.size() || name[i] < '0' || name[i] > '8') return -2;
    return key + 12 * (name[i] - '0' + 1);  // middle C, c4, is key 60
}

std::vector<TuneNote> ParseTune() {
    std::vector<TuneNote> notes;
    for (int bar = 0; bar < kMusicBars; ++bar) {
        std::uint32_t at = bar * kBar;
        for (std::string_view word : Words(kTune[bar])) {
            std::size_t colon = word.find(':');
            std::string_view name = word.substr(0, colon);
            int sixteenths = colon == std::string_view::npos ? 0 : std::atoi(std::string(word.substr(colon + 1)).c_str());
            int key = name == "r" ? -1 : ParseKey(name);
            if (key == -2 || sixteenths <= 0 || sixteenths > 16)
                throw std::logic_error("bar " + std::to_string(bar + 1) + ": bad note '" + std::string(word) + "'");
            notes.push_back({key, at, sixteenths * kSixteenth});
            at += sixteenths * kSixteenth;
        }
        if (at != (bar + 1) * kBar) throw std::logic_error("bar " + std::to_string(bar + 1) + " of the tune is not 16 sixteenths long");
    }
    return notes;
}

// The highest tone of the chord (in any octave) at least a minor third under the tune's note.
int HarmonyBelow(int key, const Chord& chord) {
    for (int k = key - 3; k > key - 12; --k)
        for (int tone : chord.tones)
            if ((k - tone) % 12 == 0) return k;
    return key - 12;
}

bool OnBeat(std::uint32_t tick) { return tick % kMusicTicksPerQuarter == 0; }

void WriteTune(MidiTrack& melody, MidiTrack& harmony) {
    for (const TuneNote& n : ParseTune()) {
        if (n.key < 0) continue;
        // Slightly detached, with the beats leaning a little harder than the notes between them.
        std::uint32_t length = n.length - kSixteenth / 6;
        melody.Note(n.start, length, kMelodyCh, n.key, OnBeat(n.start) ? 100 : 88);
        if (SectionOf(static_cast<int>(n.start / kBar)) == Section::Reprise)
            harmony.Note(n.start, length, kHarmonyCh, HarmonyBelow(n.key, ChordAt(n.start)), OnBeat(n.start) ? 76 : 68);
    }
}

// ---------------------------------------------------------------- accompaniment

struct Hit {
    int eighth, eighths, interval;  // where in the span, how long, semitones above the root
};

void WriteChords(MidiTrack& piano, MidiTrack& pad) {
    // A: short stabs on the off-beats; B: the 3-3-2 push, over sustained strings.
    static const std::vector<Hit> kStabs = {{1, 1, 0}, {3, 1, 0}, {5, 1, 0}, {7, 1, 0}};
    static const std::vector<Hit> kPush = {{0, 3, 0}, {3, 3, 0}, {6, 2, 0}};
    for (int bar = 0; bar < kMusicBars; ++bar) {
        bool lyrical = SectionOf(bar) == Section::B;
        for (const ChordSpan& span : ChordsOfBar(bar)) {
            for (const Hit& h : lyrical ? kPush : kStabs) {
                std::uint32_t at = h.eighth * kEighth;  // from the start of the chord
                if (at >= span.length) continue;
                std::uint32_t start = span.start + at;
                std::uint32_t length = lyrical ? h.eighths * kEighth - kSixteenth / 2 : kEighth * 3 / 4;
                for (int tone : span.chord->tones)
                    piano.Note(start, length, kChordCh, tone, h.eighth == 0 ? 74 : 64);
            }
            if (lyrical)
                for (int tone : span.chord->tones) pad.Note(span.start, span.length - kSixteenth / 2, kPadCh, tone, 68);
        }
    }
}

void WriteBass(MidiTrack& bass) {
    static const std::vector<Hit> kBounce = {{0, 2, 0}, {2, 1, 0}, {3, 1, 12}, {4, 2, 7}, {6, 1, 12}, {7, 1, 7}};
    static const std::vector<Hit> kHalfBounce = {{0, 2, 0}, {2, 1, 12}, {3, 1, 7}};
    static const std::vector<Hit> kPush = {{0, 3, 0}, {3, 3, 12}, {6, 2, 7}};
    for (int bar = 0; bar < kMusicBars; ++bar) {
        std::vector<ChordSpan> spans = ChordsOfBar(bar);
        if (spans.size() == 1 && spans[0].chord->name == "G7") {
            // Walk G, D, F, B so the line climbs into C by a half step at the top of the next bar.
            static constexpr int kWalk[4] = {43, 38, 41, 35};
            for (int beat = 0; beat < 4; ++beat)
                bass.Note(bar * kBar + beat * kMusicTicksPerQuarter, kMusicTicksPerQuarter - kSixteenth / 5, kBassCh,
                          kWalk[beat], beat == 0 ? 100 : 90);
            continue;
        }
        for (const ChordSpan& span : spans) {
            const std::vector<Hit>& pattern =
                SectionOf(bar) == Section::B ? kPush : spans.size() == 2 ? kHalfBounce : kBounce;
            for (const Hit& h : pattern) {
                std::uint32_t start = span.start + h.eighth * kEighth;
                bass.Note(start, h.eighths * kEighth - kSixteenth / 5, kBassCh, span.chord->root + h.interval,
                          OnBeat(start) ? 100 : 86);
            }
        }
    }
}

void WriteDrums(MidiTrack& drums) {
    auto hit = [&](int bar, int sixteenth, int key, int velocity) {
        drums.Note(bar * kBar + sixteenth * kSixteenth, kSixteenth / 2, kDrumCh, key, velocity);
    };
    for (int bar = 0; bar < kMusicBars; ++bar) {
        bool lyrical = SectionOf(bar) == Section::B;
        bool fill = EndsSection(bar);
        if (bar % 8 == 0) hit(bar, 0, kCrash, 96);
        for (int s = 0; s < 16; s += 2) {
            if (fill && s >= 12) break;
            bool lift = !lyrical && bar % 8 == 3 && s == 14;  // an open hat halfway through the phrase
            int velocity = s % 4 == 0 ? 74 : 52;
            hit(bar, s, lyrical ? kRide : lift ? kOpenHat : kClosedHat, lift ? 70 : velocity);
        }
        for (int s : lyrical ? std::array<int, 3>{0, 6, 12} : std::array<int, 3>{0, 6, 8})
            if (!(fill && s >= 12)) hit(bar, s, kKick, s == 0 ? 104 : 92);
        hit(bar, 4, kSnare, 92);
        if (fill) {
            // Beat four rolls down the toms into the next bar (and, at the end, into the top).
            hit(bar, 12, kKick, 96);
            hit(bar, 12, kHighTom, 86);
            hit(bar, 13, kHighTom, 78);
            hit(bar, 14, kLowMidTom, 92);
            hit(bar, 15, kLowFloorTom, 100);
        } else {
            hit(bar, 12, kSnare, 96);
        }
    }
}

// Program, volume, pan, reverb and chorus of a channel, set at the top so that each pass of the
// loop starts from the same sound.
struct ChannelSetup {
    int channel, program, volume, pan, reverb, chorus;
};
void SetUp(MidiTrack& track, const ChannelSetup& s) {
    track.Control(0, s.channel, 7, s.volume);
    track.Control(0, s.channel, 10, s.pan);
    track.Control(0, s.channel, 91, s.reverb);
    track.Control(0, s.channel, 93, s.chorus);
    if (s.channel != kDrumCh) track.Program(0, s.channel, s.program);
}

}  // namespace

Bytes MakeMusic() {
    MidiTrack conductor("Quorbix");
    conductor.Meta(0, 0x58, {4, 2, 24, 8});  // 4/4, a click every quarter, 8 32nds a quarter
    conductor.Meta(0, 0x59, {0, 0});         // C major
    conductor.Tempo(0, kMusicMicrosPerQuarter);

    MidiTrack melody("Melody"), harmony("Harmony"), piano("Chords"), pad("Strings"), bass("Bass"), drums("Drums");
    // General MIDI programs, numbered from 0: 80 square lead, 11 vibraphone, 4 electric piano,
    // 48 string ensemble, 33 finger bass.
    SetUp(melody, {kMelodyCh, 80, 86, 64, 48, 0});
    SetUp(harmony, {kHarmonyCh, 11, 84, 88, 56, 0});
    SetUp(piano, {kChordCh, 4, 80, 44, 40, 30});
    SetUp(pad, {kPadCh, 48, 88, 84, 64, 40});
    SetUp(bass, {kBassCh, 33, 104, 64, 12, 0});
    SetUp(drums, {kDrumCh, 0, 96, 64, 32, 0});

    WriteTune(melody, harmony);
    WriteChords(piano, pad);
    WriteBass(bass);
    WriteDrums(drums);
    return MidiFile({conductor, melody, harmony, piano, pad, bass, drums}, kMusicTicksPerQuarter, kEnd);
}

}  // namespace assets
