// Platform: the MIDI sequencer's device and how its music is rendered (for platform/sound/mci.cpp,
// which carries out the command strings on it; nothing else includes this).
//
// Who does what. The window's thread carries out the commands under the sequencer's own lock,
// which the audio thread never takes. The music is rendered by a thread of its own while a
// real-time thread plays the stream (eight device buffers ahead, the close's tail of
// voices too), or, where the render may wait (the headless clock), by the render itself for
// exactly the frames it needs, so that the headless mix does not depend on thread timing. The
// audio thread only copies the frames that are ready; it makes no synthesiser call, allocates
// nothing and posts nothing: the end-of-play notice is posted by the render thread once the
// audio thread has played the last frame of the piece.
#pragma once
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <semaphore>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound/audio_stream.h"
#include "platform/sound/mci_notify.h"

// The synthesiser's player, declared as the library declares it.
typedef struct _fluid_player_t fluid_player_t;

namespace platform::sequencer {

constexpr int kRenderChunk = 512;

// Rendered music, one writer (whoever holds the sequencer's lock) and one reader (the stream's
// render, under the stream's lock). Positions count frames from the start and never wrap.
struct MusicRing {
    static constexpr std::uint64_t kFrames = 16384;
    float frames[kFrames * audio::kChannels] = {};
    std::atomic<std::uint64_t> write{0};
    std::atomic<std::uint64_t> read{0};
    // Frames before this were rendered before a command changed the music: never heard.
    std::atomic<std::uint64_t> skipTo{0};
    // The writer had the reader's lead ready once since the music opened: from then on a reader
    // that finds frames missing is an underrun.
    std::atomic<bool> primed{false};

    std::uint64_t start() const { return std::max(read.load(std::memory_order_acquire), skipTo.load(std::memory_order_acquire)); }
    // Frames written and not yet read (nor skipped).
    std::uint64_t ready() const { return write.load() - std::min(write.load(), start()); }
    // Frames the writer may write without overwriting any the reader has not passed.
    int room() const {
        return static_cast<int>(kFrames - (write.load(std::memory_order_relaxed) - read.load(std::memory_order_acquire)));
    }
    void put(const float* in, int n);
    // Adds up to `n` ready frames into `mix` at the music's level; returns how many there were.
    int take(float* mix, int n);

    // The music's level: the last request, written by setMusicVolume (a count that tells one
    // request from the next, the level in 65535ths and the fade's frames), and the fade the
    // reader plays, which only the reader touches.
    static constexpr std::uint64_t kFullLevel = 65535;
    static constexpr std::uint64_t pack(std::uint64_t count, std::uint64_t level, std::uint64_t frames) {
        return (count & 0xFFFF) << 48 | (level & 0xFFFF) << 32 | (frames & 0xFFFFFFFF);
    }
    std::atomic<std::uint64_t> volumeRequest{pack(0, kFullLevel, 0)};
    // Where the requested fade starts, or below 0 for the level heard when the reader takes it;
    // written before the request it belongs to.
    std::atomic<float> volumeFrom{-1.0f};
    // The last request the reader took (the reader's own copy, and one the writer reads).
    std::uint64_t volumeSeen = pack(0, kFullLevel, 0);
    std::atomic<std::uint64_t> volumeTaken{pack(0, kFullLevel, 0)};
    float fadeFrom = 1.0f, fadeTo = 1.0f;
    std::uint32_t fadeLength = 0, fadeDone = 0;
    std::atomic<float> heard{1.0f};
    // The level of the next frame, moving the fade on by one.
    float nextGain();
};

// The one sequencer device. Everything here is guarded by MciState::lock.
struct Sequencer {
    bool open = false;
    int id = 0;
    std::string alias;
    std::string path;
    std::vector<std::uint8_t> file;     // the normal form the player reads
    fluid_player_t* player = nullptr;   // made once the synthesiser is ready
    bool playing = false;
    bool atEnd = false;
    bool failed = false;                // the player could not play it: not tried again
    bool notifyPending = false;
    WindowId notifyWindow = 0;
    std::int64_t lengthFrames = 0;      // the piece's length at the output rate
    std::int64_t playedFrames = 0;      // frames of the current pass rendered
    bool endedNaturally = false;        // the last play reached its end, and nothing but a seek
    std::int64_t sinceEnd = 0;          // to the start came after it: frames rendered since
    std::int64_t catchUp = 0;           // frames of the new pass rendered unheard
};

struct Post {
    WindowId window;
    WParam code;
    LParam id;
};

// Notices a command or a render made, handed out once the sequencer's lock is let go.
struct Notices {
    Post items[4];
    int count = 0;
    void add(WindowId window, WParam code, LParam id) {
        if (count < 4) items[count++] = Post{window, code, id};
    }
    void appendTo(std::vector<Post>& posts) const { posts.insert(posts.end(), items, items + count); }
};

struct MciState {
    // Guards the sequencer, the synthesiser's use and the render thread's flags. Held by the
    // window's thread for a command and by the render thread for a chunk; never by the audio thread.
    std::mutex lock;
    Sequencer seq;
    int lastId = 0;
    std::vector<std::string>* log = nullptr;
    int livePlayers = 0;
    float chunk[kRenderChunk * audio::kChannels];
    // A closed device's voices and reverb still have to die away, unheard, before the
    // synthesiser is rendered for the next open.
    bool tailPending = false;
    MusicRing ring;
    // The end of a play, reached by the renderer at ring position `at`, posted once the audio
    // thread has played that far (or a command comes first).
    bool endPending = false;
    std::uint64_t endAt = 0;
    Post end{};
    // The render thread: started with the first open, stopped at exit.
    std::thread renderer;
    bool stopping = false;
    std::counting_semaphore<1 << 20> wakeRenderer{0};
    // Set by each render of the stream: true when the audio thread reads the ring in real time.
    std::atomic<bool> realTime{false};
};

// The process's sequencer; never destroyed, as it outlives every thread that reads it.
MciState& mci();

// The rest is called by the commands with MciState::lock held.

// The notice a play asked for, if one is pending, ends with `code` (aborted, superseded, failure).
void endNotice(Sequencer& q, WParam code, Notices& notices);
// Makes the device's player once the synthesiser is ready (unless the piece is over or failed),
// and starts it when the device plays.
void ensurePlayer(Sequencer& q, bool mayWait, Notices& notices);
void dropPlayer(Sequencer& q);
// The piece cannot be played after all: said once, and the device stays silent until closed.
void fail(Sequencer& q, const char* why, Notices& notices);
// Every voice of the synthesiser off at once (a seek or stop).
void silenceMusic();
// The voices and the reverb a closed device left in the synthesiser die away, unheard, before it
// is rendered again.
void renderTail(MciState& m);
// Drops the music rendered ahead of a command that changes what is heard and renders the first
// frames after it at once, so that the audio thread hears the change within a device buffer and
// never finds the ring empty. Where the render itself renders (headless), nothing is ahead.
void rerender(MciState& m, Notices& notices);
// A play's end the audio thread has not reached yet is over as far as any command can tell.
void takeEnd(MciState& m, Notices& notices);
// The first open starts the thread that renders ahead of a real-time reader (where the backend
// has threads); stopSequencerThread ends it.
void startRenderThread(MciState& m);

// The stream's source (added by the open, removed by the close): copies the music that is
// ready. On a real-time thread this is all it does; where the render may wait, it renders the
// frames it needs first.
void renderSequencer(void*, float* mix, int frames, bool mayWait);

}  // namespace platform::sequencer
