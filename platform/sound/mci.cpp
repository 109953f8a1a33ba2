// Platform: the MIDI sequencer behind the MCI command strings: one device, a FluidSynth player
// for its file, rendered ahead into a ring that the output stream's render copies from, with
// end-of-play notification.
//
// Who does what. The window's thread carries out the commands under the sequencer's own lock,
// which the audio thread never takes. The music is rendered by a thread of its own while a
// real-time thread plays the stream (eight device buffers ahead, the close's tail of
// voices too), or, where the render may wait (the headless clock), by the render itself for
// exactly the frames it needs, so that the headless mix does not depend on thread timing. The
// audio thread only copies the frames that are ready; it makes no synthesiser call, allocates
// nothing and posts nothing: the end-of-play notice is posted by the render thread once the
// audio thread has played the last frame of the piece.
#include "platform/sound/mci.h"

#include <fluidsynth.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <semaphore>
#include <thread>
#include <vector>

#include "platform/sound/audio_stream.h"
#include "platform/backend.h"
#include "platform/sound/midi_file.h"
#include "platform/sound/midi_synth.h"

namespace platform {
namespace {

constexpr int kRenderChunk = 512;
constexpr int kFlushFrames = 32768;   // three quarters of a second
// A restart later than this after the end (the program stood still) starts the piece afresh.
constexpr std::int64_t kMaxCatchUp = audio::kRate / 4;
// How far ahead of the audio thread the render thread keeps the music, and how much a command
// that changes what is heard renders at once, before the audio thread may reach it.
constexpr std::uint64_t kLeadFrames = 8 * audio::kDeviceFrames;
constexpr int kPrimeFrames = 2 * audio::kDeviceFrames;

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
    // Frames the writer may write without overwriting any the reader has not passed.
    int room() const {
        return static_cast<int>(kFrames - (write.load(std::memory_order_relaxed) - read.load(std::memory_order_acquire)));
    }
    void put(const float* in, int n) {
        std::uint64_t w = write.load(std::memory_order_relaxed);
        for (int i = 0; i < n; ++i, ++w) {
            float* f = frames + (w % kFrames) * audio::kChannels;
            f[0] = in[2 * i];
            f[1] = in[2 * i + 1];
        }
        write.store(w, std::memory_order_release);
    }
    // Adds up to `n` ready frames into `mix`; returns how many there were.
    int take(float* mix, int n) {
        std::uint64_t r = start();
        const std::uint64_t w = write.load(std::memory_order_acquire);
        const int got = static_cast<int>(std::min<std::uint64_t>(w - std::min(w, r), static_cast<std::uint64_t>(n)));
        for (int i = 0; i < got; ++i, ++r) {
            const float* f = frames + (r % kFrames) * audio::kChannels;
            mix[2 * i] += f[0];
            mix[2 * i + 1] += f[1];
        }
        read.store(r, std::memory_order_release);
        return got;
    }
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

// Notices a render made, handed out once the sequencer's lock is let go.
struct Notices {
    Post items[4];
    int count = 0;
    void add(WindowId window, WParam code, LParam id) {
        if (count < 4) items[count++] = Post{window, code, id};
    }
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

MciState& mci() {
    // Never destroyed: the state outlives every thread that reads it (see audio::shutdown).
    static MciState* s = new MciState;
    return *s;
}

bool sameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

bool hasMidiExtension(const std::string& path) {
    for (const char* ext : {".mid", ".midi", ".rmi"}) {
        std::size_t n = std::strlen(ext);
        if (path.size() > n && strcasecmp(path.c_str() + path.size() - n, ext) == 0) return true;
    }
    return false;
}

MciError readMidiFile(const std::string& path, MidiPiece& piece) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return MCIERR_FILE_NOT_FOUND;
    if (st.st_size <= 0 || static_cast<std::uint64_t>(st.st_size) > kMaxMidiFileBytes) {
        std::fprintf(stderr, "sequencer: %s is not played: %s\n", path.c_str(),
                     st.st_size <= 0 ? "an empty file" : "larger than 16 MB");
        return MCIERR_INVALID_FILE;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return MCIERR_FILE_NOT_FOUND;
    std::vector<std::uint8_t> bytes;
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    bytes.resize(got);
    const char* why = "";
    if (normaliseMidiFile(bytes.data(), bytes.size(), piece, &why)) return 0;
    std::fprintf(stderr, "sequencer: %s is not played: %s\n", path.c_str(), why);
    return MCIERR_INVALID_FILE;
}

// The piece cannot be played after all: said once, and the device stays silent until closed.
void fail(Sequencer& q, const char* why, Notices& notices);

// With MciState::lock held, as are all the helpers below.
void dropPlayer(Sequencer& q) {
    if (q.player == nullptr) return;
    fluid_player_stop(q.player);
    delete_fluid_player(q.player);
    q.player = nullptr;
    --mci().livePlayers;
}

void ensurePlayer(Sequencer& q, bool mayWait, Notices& notices) {
    if (q.player != nullptr || q.atEnd || q.failed) return;
    fluid_synth_t* synth = midi::readySynth(mayWait);
    if (synth == nullptr) return;
    q.player = new_fluid_player(synth);
    if (q.player == nullptr) return fail(q, "the synthesiser cannot make a player", notices);
    ++mci().livePlayers;
    if (fluid_player_add_mem(q.player, q.file.data(), q.file.size()) != FLUID_OK)
        return fail(q, "the synthesiser's player does not take the file", notices);
    if (q.playing && fluid_player_play(q.player) != FLUID_OK)
        return fail(q, "the synthesiser's player does not start", notices);
}

void fail(Sequencer& q, const char* why, Notices& notices) {
    std::fprintf(stderr, "sequencer: %s is not played: %s\n", q.path.c_str(), why);
    dropPlayer(q);
    q.failed = true;
    q.playing = false;
    q.endedNaturally = false;
    if (q.notifyPending) {
        notices.add(q.notifyWindow, MCI_NOTIFY_FAILURE, q.id);
        q.notifyPending = false;
    }
}

void silenceMusic() {
    if (fluid_synth_t* synth = midi::readySynth(false)) fluid_synth_all_sounds_off(synth, -1);
}

// The voices and the reverb a closed device left in the synthesiser die away, unheard, before it
// is rendered again.
void renderTail(MciState& m) {
    if (!m.tailPending) return;
    m.tailPending = false;
    if (fluid_synth_t* synth = midi::readySynth(false)) {
        fluid_synth_system_reset(synth);
        for (int done = 0; done < kFlushFrames; done += kRenderChunk)
            fluid_synth_write_float(synth, kRenderChunk, m.chunk, 0, 2, m.chunk, 1, 2);
    }
}

// The player itself counts on until its last voice has died away, seconds later, and a piece
// whose events all lie at tick 0 has no length it could report: the piece is over once its
// length in frames has been rendered, counted here. A player that says it is done well before
// then never read the file.
constexpr std::int64_t kDoneSlack = 4096;

// Renders `frames` more frames of music into the ring (room permitting). The end of a play is
// noticed at once when `mayWait` (the render itself is the reader), else once the reader got there.
void produce(MciState& m, int frames, bool mayWait, Notices& notices) {
    Sequencer& q = m.seq;
    if (!q.open) return;
    frames = std::min(frames, m.ring.room());
    ensurePlayer(q, mayWait, notices);
    fluid_synth_t* synth = midi::readySynth(false);
    float* chunk = m.chunk;
    if (synth == nullptr) {
        // The font is still loading: silence keeps the reader fed meanwhile.
        std::fill(chunk, chunk + kRenderChunk * audio::kChannels, 0.0f);
        while (frames > 0) {
            int n = std::min(frames, kRenderChunk);
            m.ring.put(chunk, n);
            frames -= n;
        }
        return;
    }
    while (frames > 0) {
        const bool running = q.playing && q.player != nullptr;
        if (running && q.catchUp > 0) {
            int n = static_cast<int>(std::min<std::int64_t>(q.catchUp, kRenderChunk));
            fluid_synth_write_float(synth, n, chunk, 0, 2, chunk, 1, 2);
            q.catchUp -= n;
            q.playedFrames += n;
            continue;
        }
        int n = std::min(frames, kRenderChunk);
        if (running && q.lengthFrames > q.playedFrames)
            n = static_cast<int>(std::min<std::int64_t>(n, q.lengthFrames - q.playedFrames));
        fluid_synth_write_float(synth, n, chunk, 0, 2, chunk, 1, 2);
        m.ring.put(chunk, n);
        frames -= n;
        if (!running) {
            if (q.endedNaturally) q.sinceEnd += n;
            continue;
        }
        q.playedFrames += n;
        if (q.playedFrames >= q.lengthFrames) {
            q.playing = false;
            q.atEnd = true;
            q.endedNaturally = true;
            q.sinceEnd = 0;
            if (q.notifyPending) {
                if (mayWait) {
                    notices.add(q.notifyWindow, MCI_NOTIFY_SUCCESSFUL, q.id);
                } else {
                    m.endPending = true;
                    m.endAt = m.ring.write.load(std::memory_order_relaxed);
                    m.end = Post{q.notifyWindow, MCI_NOTIFY_SUCCESSFUL, q.id};
                }
                q.notifyPending = false;
            }
        } else if (fluid_player_get_status(q.player) == FLUID_PLAYER_DONE &&
                   q.playedFrames + kDoneSlack < q.lengthFrames) {
            fail(q, "the synthesiser's player does not read the file", notices);
        }
    }
}

// The stream's source: copies the music that is ready. On a real-time thread this is all it
// does; where the render may wait, it renders the frames it needs first.
void renderSequencer(void*, float* mix, int frames, bool mayWait) {
    MciState& m = mci();
    m.realTime.store(!mayWait, std::memory_order_relaxed);
    if (mayWait) {
        Notices notices;
        {
            std::lock_guard<std::mutex> guard(m.lock);
            const std::uint64_t ready = m.ring.write.load() - std::min(m.ring.write.load(), m.ring.start());
            if (ready < static_cast<std::uint64_t>(frames)) produce(m, frames - static_cast<int>(ready), true, notices);
        }
        for (int i = 0; i < notices.count; ++i)
            audio::postAfterRender(notices.items[i].window, MM_MCINOTIFY, notices.items[i].code, notices.items[i].id);
    }
    const int got = m.ring.take(mix, frames);
    if (!mayWait) {
        if (got < frames && m.ring.primed.load(std::memory_order_relaxed)) audio::countUnderrun();
        m.wakeRenderer.release();
    }
}

// Drops the music rendered ahead of a command that changes what is heard and renders the first
// frames after it at once, so that the audio thread hears the change within a device buffer and
// never finds the ring empty. Where the render itself renders (headless), nothing is ahead.
void rerender(MciState& m, Notices& notices) {
    if (!m.realTime.load(std::memory_order_relaxed)) return;
    // Commands faster than the audio thread reads fill the ring with frames it will skip; the
    // window's thread then waits for it to pass them (a device buffer at most), but never for a
    // device that stopped reading.
    for (int waited = 0; m.ring.room() < kPrimeFrames + 2 * audio::kDeviceFrames && waited < 50; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const std::uint64_t from = m.ring.write.load(std::memory_order_relaxed);
    produce(m, kPrimeFrames, false, notices);
    m.ring.skipTo.store(from, std::memory_order_release);
}

// A play's end the audio thread has not reached yet is over as far as any command can tell.
void takeEnd(MciState& m, Notices& notices) {
    if (!m.endPending) return;
    m.endPending = false;
    notices.add(m.end.window, m.end.code, m.end.id);
}

void deliver(const Notices& notices) {
    for (int i = 0; i < notices.count; ++i)
        postMessage(notices.items[i].window, MM_MCINOTIFY, notices.items[i].code, notices.items[i].id);
}

// The render thread: keeps the music ahead of a real-time reader, renders a closed device's tail
// and posts the end of a play once it has been heard. Woken by every real-time render.
void renderThread() {
    MciState& m = mci();
    for (;;) {
        m.wakeRenderer.try_acquire_for(std::chrono::milliseconds(5));
        Notices notices;
        {
            std::lock_guard<std::mutex> guard(m.lock);
            if (m.stopping) return;
            if (m.realTime.load(std::memory_order_relaxed)) {
                renderTail(m);
                while (m.seq.open) {
                    const std::uint64_t ahead = m.ring.write.load() - std::min(m.ring.write.load(), m.ring.start());
                    if (ahead >= kLeadFrames) {
                        m.ring.primed.store(true, std::memory_order_relaxed);
                        break;
                    }
                    produce(m, static_cast<int>(std::min<std::uint64_t>(kLeadFrames - ahead, kRenderChunk)), false, notices);
                    if (m.ring.room() == 0) break;
                }
                if (m.endPending && m.ring.read.load() >= m.endAt) takeEnd(m, notices);
            }
        }
        deliver(notices);
    }
}

MciError openSequencer(const MciCommand& c, std::vector<Post>& posts, WindowId callback) {
    if (!c.type.empty() ? !sameName(c.type, "sequencer") : !hasMidiExtension(c.device))
        return MCIERR_INVALID_DEVICE_NAME;
    std::string alias = c.alias.empty() ? c.device : c.alias;
    MciState& m = mci();
    {
        std::lock_guard<std::mutex> guard(m.lock);
        if (m.seq.open) return sameName(m.seq.alias, alias) ? MCIERR_DUPLICATE_ALIAS : MCIERR_DEVICE_OPEN;
    }
    MidiPiece piece;
    if (MciError e = readMidiFile(c.device, piece)) return e;
    if (!audio::acquireStream()) return MCIERR_HARDWARE;
    midi::startSynth();
    // Registered after the synthesiser, so that it stops first: it renders with the synthesiser.
    audio::atShutdown(stopSequencerThread);
    Notices notices;
    {
        std::lock_guard<std::mutex> guard(m.lock);
        // Without threads the stream's render renders the music itself, as the headless clock's does.
        if (backend::describe().threads && !m.renderer.joinable() && !m.stopping) m.renderer = std::thread(renderThread);
        takeEnd(m, notices);
        // Before a player is made: the tail must not play the start of the new piece unheard.
        renderTail(m);
        Sequencer& q = m.seq;
        q = Sequencer{};
        q.open = true;
        q.id = ++m.lastId;
        q.alias = alias;
        q.path = c.device;
        q.file = std::move(piece.file);
        q.lengthFrames = static_cast<std::int64_t>((piece.micros * audio::kRate + 500000) / 1000000);
        m.ring.primed = false;
        rerender(m, notices);
        if (c.notify) notices.add(callback, MCI_NOTIFY_SUCCESSFUL, q.id);
    }
    // The stream's lock is never taken inside the sequencer's (the render takes them the other way).
    {
        std::lock_guard<audio::StreamLock> guard(audio::lock());
        audio::addSource(renderSequencer, nullptr);
    }
    for (int i = 0; i < notices.count; ++i) posts.push_back(notices.items[i]);
    return 0;
}

// Closes the device; the caller removes its source and releases the stream afterwards when this
// returns true.
bool closeLocked(MciState& m, Notices& notices) {
    Sequencer& q = m.seq;
    if (!q.open) return false;
    takeEnd(m, notices);
    if (q.notifyPending) notices.add(q.notifyWindow, MCI_NOTIFY_ABORTED, q.id);
    dropPlayer(q);
    // The synthesiser is not rendered while closed: the voices and the reverb it still held
    // would sound at the next open. They die away unheard, on the render thread or at the next
    // open, whichever comes first.
    m.tailPending = true;
    m.ring.primed = false;
    m.ring.skipTo.store(m.ring.write.load(std::memory_order_relaxed), std::memory_order_release);
    q = Sequencer{};
    m.wakeRenderer.release();
    return true;
}

void closeSource() {
    {
        std::lock_guard<audio::StreamLock> guard(audio::lock());
        audio::removeSource(renderSequencer, nullptr);
    }
    audio::releaseStream();
}

MciError runCommand(const MciCommand& c, char* answer, std::uint32_t answerSize, WindowId callback,
                 std::vector<Post>& posts) {
    if (c.verb == MciCommand::Verb::Open) return openSequencer(c, posts, callback);
    MciState& m = mci();
    bool closed = false;
    MciError result = 0;
    Notices notices;
    {
        std::lock_guard<std::mutex> guard(m.lock);
        Sequencer& q = m.seq;
        bool all = c.verb == MciCommand::Verb::Close && sameName(c.device, "all");
        if (!all && (!q.open || !sameName(q.alias, c.device))) return MCIERR_INVALID_DEVICE_NAME;
        LParam id = q.id;
        if (c.verb != MciCommand::Verb::Status) takeEnd(m, notices);
        switch (c.verb) {
            case MciCommand::Verb::Seek:
                if (q.notifyPending) notices.add(q.notifyWindow, MCI_NOTIFY_ABORTED, q.id);
                q.notifyPending = false;
                q.playing = false;
                dropPlayer(q);
                silenceMusic();
                q.atEnd = c.seekTo == MciCommand::SeekTo::End;
                q.playedFrames = 0;
                q.catchUp = 0;
                // Only the restart of a piece that has just ended keeps the time of its end.
                if (q.atEnd) q.endedNaturally = false;
                ensurePlayer(q, false, notices);
                rerender(m, notices);
                break;
            case MciCommand::Verb::Play:
                if (q.notifyPending) notices.add(q.notifyWindow, MCI_NOTIFY_SUPERSEDED, q.id);
                q.notifyPending = false;
                if (q.failed) {
                    if (c.notify) notices.add(callback, MCI_NOTIFY_FAILURE, id);
                    result = MCIERR_INVALID_FILE;
                    break;
                }
                if (q.atEnd) {
                    // Nothing is left to play: the play is over at once.
                    if (c.notify) notices.add(callback, MCI_NOTIFY_SUCCESSFUL, id);
                    break;
                }
                if (!q.playing && q.endedNaturally && q.playedFrames == 0 && q.sinceEnd < q.lengthFrames &&
                    q.sinceEnd <= kMaxCatchUp)
                    q.catchUp = q.sinceEnd;
                q.endedNaturally = false;
                q.playing = true;
                if (q.player != nullptr && fluid_player_play(q.player) != FLUID_OK) {
                    fail(q, "the synthesiser's player does not start", notices);
                    if (c.notify) notices.add(callback, MCI_NOTIFY_FAILURE, id);
                    result = MCIERR_INVALID_FILE;
                    break;
                }
                if (c.notify) {
                    q.notifyPending = true;
                    q.notifyWindow = callback;
                }
                rerender(m, notices);
                break;
            case MciCommand::Verb::Stop:
                if (q.notifyPending) notices.add(q.notifyWindow, MCI_NOTIFY_ABORTED, q.id);
                q.notifyPending = false;
                q.playing = false;
                q.endedNaturally = false;
                if (q.player != nullptr) fluid_player_stop(q.player);
                silenceMusic();
                rerender(m, notices);
                if (c.notify) notices.add(callback, MCI_NOTIFY_SUCCESSFUL, id);
                break;
            case MciCommand::Verb::Close:
                closed = closeLocked(m, notices);
                if (c.notify) notices.add(callback, MCI_NOTIFY_SUCCESSFUL, id);
                break;
            case MciCommand::Verb::Status: {
                if (!sameName(c.item, "mode")) return MCIERR_UNSUPPORTED_FUNCTION;
                const char* mode = q.playing ? "playing" : "stopped";
                if (answer != nullptr && answerSize > 0) {
                    std::size_t n = std::strlen(mode);
                    if (n >= answerSize) {
                        answer[0] = '\0';
                        result = MCIERR_PARAM_OVERFLOW;
                    } else {
                        std::memcpy(answer, mode, n + 1);
                    }
                }
                if (c.notify && result == 0) notices.add(callback, MCI_NOTIFY_SUCCESSFUL, id);
                break;
            }
            case MciCommand::Verb::Open:
                break;
        }
        if (c.verb == MciCommand::Verb::Seek && c.notify) notices.add(callback, MCI_NOTIFY_SUCCESSFUL, id);
    }
    if (closed) closeSource();
    for (int i = 0; i < notices.count; ++i) posts.push_back(notices.items[i]);
    return result;
}

}  // namespace

MciError mciSendString(const char* command, char* answer, std::uint32_t answerSize, WindowId callback) {
    if (answer != nullptr && answerSize > 0) answer[0] = '\0';
    if (mci().log != nullptr && command != nullptr)
        mci().log->push_back(std::string(command, strnlen(command, kMaxMciCommand + 1)));
    MciCommand c;
    if (MciError e = parseMciCommand(command, c)) return e;
    std::vector<Post> posts;
    MciError result = runCommand(c, answer, answerSize, callback, posts);
    // Posted after the locks are let go: the queue has a lock of its own.
    for (const Post& p : posts) postMessage(p.window, MM_MCINOTIFY, p.code, p.id);
    return result;
}

void logMciCommands(std::vector<std::string>* log) { mci().log = log; }

MciProbe probeMci() {
    std::lock_guard<std::mutex> guard(mci().lock);
    const Sequencer& q = mci().seq;
    MciProbe p;
    p.open = q.open;
    p.id = q.id;
    p.playing = q.playing;
    p.failed = q.failed;
    p.hasPlayer = q.player != nullptr;
    p.lengthFrames = q.lengthFrames;
    p.playedFrames = q.playedFrames;
    p.livePlayers = mci().livePlayers;
    return p;
}

void resetMci() {
    Notices ignored;
    bool closed = false;
    {
        std::lock_guard<std::mutex> guard(mci().lock);
        closed = closeLocked(mci(), ignored);
        // Until a render says otherwise, the music is rendered where it is heard.
        mci().realTime = false;
    }
    if (closed) closeSource();
}

void stopSequencerThread() {
    MciState& m = mci();
    {
        std::lock_guard<std::mutex> guard(m.lock);
        m.stopping = true;
    }
    m.wakeRenderer.release();
    if (m.renderer.joinable()) m.renderer.join();
    // The player goes before the synthesiser it plays on.
    std::lock_guard<std::mutex> guard(m.lock);
    dropPlayer(m.seq);
}

}  // namespace platform
