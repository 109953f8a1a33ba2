// Platform: the MIDI sequencer behind the MCI command strings: one device, a FluidSynth player
// for its file, mixed into the shared output stream, with end-of-play notification.
#include "platform/mci.h"

#include <fluidsynth.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/audio_stream.h"
#include "platform/midi_file.h"
#include "platform/midi_synth.h"

namespace platform {
namespace {

constexpr int kRenderChunk = 512;
constexpr int kFlushFrames = 32768;   // three quarters of a second
// A restart later than this after the end (the program stood still) starts the piece afresh.
constexpr std::int64_t kMaxCatchUp = audio::kRate / 4;

// The one sequencer device. Everything here is guarded by audio::lock(): the audio thread
// renders it and finds the end of a play.
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

struct MciState {
    Sequencer seq;
    int lastId = 0;
    std::vector<std::string>* log = nullptr;
    int livePlayers = 0;
    float chunk[kRenderChunk * audio::kChannels];
};

MciState& mci() {
    // Never destroyed: the audio thread may render during exit.
    static MciState* s = new MciState;
    return *s;
}

struct Post {
    WindowId window;
    WParam code;
    LParam id;
};

bool SameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

bool HasMidiExtension(const std::string& path) {
    for (const char* ext : {".mid", ".midi", ".rmi"}) {
        std::size_t n = std::strlen(ext);
        if (path.size() > n && strcasecmp(path.c_str() + path.size() - n, ext) == 0) return true;
    }
    return false;
}

MciError ReadMidiFile(const std::string& path, MidiPiece& piece) {
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
void Fail(Sequencer& q, const char* why);

// With audio::lock() held, as are all the helpers below.
void DropPlayer(Sequencer& q) {
    if (q.player == nullptr) return;
    fluid_player_stop(q.player);
    delete_fluid_player(q.player);
    q.player = nullptr;
    --mci().livePlayers;
}

void EnsurePlayer(Sequencer& q, bool mayWait) {
    if (q.player != nullptr || q.atEnd || q.failed) return;
    fluid_synth_t* synth = midi::readySynth(mayWait);
    if (synth == nullptr) return;
    q.player = new_fluid_player(synth);
    if (q.player == nullptr) return Fail(q, "the synthesiser cannot make a player");
    ++mci().livePlayers;
    if (fluid_player_add_mem(q.player, q.file.data(), q.file.size()) != FLUID_OK)
        return Fail(q, "the synthesiser's player does not take the file");
    if (q.playing && fluid_player_play(q.player) != FLUID_OK) return Fail(q, "the synthesiser's player does not start");
}

void Fail(Sequencer& q, const char* why) {
    std::fprintf(stderr, "sequencer: %s is not played: %s\n", q.path.c_str(), why);
    DropPlayer(q);
    q.failed = true;
    q.playing = false;
    q.endedNaturally = false;
    if (q.notifyPending) {
        audio::postAfterRender(q.notifyWindow, MM_MCINOTIFY, MCI_NOTIFY_FAILURE, q.id);
        q.notifyPending = false;
    }
}

void Silence() {
    if (fluid_synth_t* synth = midi::readySynth(false)) fluid_synth_all_sounds_off(synth, -1);
}

// A play that asked for a notification is over before its end.
void EndPending(Sequencer& q, WParam code, std::vector<Post>& posts) {
    if (!q.notifyPending) return;
    posts.push_back(Post{q.notifyWindow, code, q.id});
    q.notifyPending = false;
}

// The player itself counts on until its last voice has died away, seconds later, and a piece
// whose events all lie at tick 0 has no length it could report: the piece is over once its
// length in frames has been rendered, counted here. A player that says it is done well before
// then never read the file.
constexpr std::int64_t kDoneSlack = 4096;

void RenderSequencer(void*, float* mix, int frames, bool mayWait) {
    Sequencer& q = mci().seq;
    if (!q.open) return;
    EnsurePlayer(q, mayWait);
    fluid_synth_t* synth = midi::readySynth(false);
    if (synth == nullptr) return;
    float* chunk = mci().chunk;
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
        for (int i = 0; i < n * audio::kChannels; ++i) mix[i] += chunk[i];
        mix += n * audio::kChannels;
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
                audio::postAfterRender(q.notifyWindow, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, q.id);
                q.notifyPending = false;
            }
        } else if (fluid_player_get_status(q.player) == FLUID_PLAYER_DONE &&
                   q.playedFrames + kDoneSlack < q.lengthFrames) {
            Fail(q, "the synthesiser's player does not read the file");
        }
    }
}

MciError Open(const MciCommand& c, std::vector<Post>& posts, WindowId callback) {
    if (!c.type.empty() ? !SameName(c.type, "sequencer") : !HasMidiExtension(c.device))
        return MCIERR_INVALID_DEVICE_NAME;
    std::string alias = c.alias.empty() ? c.device : c.alias;
    MciState& m = mci();
    {
        std::lock_guard<audio::StreamLock> guard(audio::lock());
        if (m.seq.open) return SameName(m.seq.alias, alias) ? MCIERR_DUPLICATE_ALIAS : MCIERR_DEVICE_OPEN;
    }
    MidiPiece piece;
    if (MciError e = ReadMidiFile(c.device, piece)) return e;
    if (!audio::acquireStream()) return MCIERR_HARDWARE;
    midi::startSynth();
    std::lock_guard<audio::StreamLock> guard(audio::lock());
    Sequencer& q = m.seq;
    q = Sequencer{};
    q.open = true;
    q.id = ++m.lastId;
    q.alias = alias;
    q.path = c.device;
    q.file = std::move(piece.file);
    q.lengthFrames = static_cast<std::int64_t>((piece.micros * audio::kRate + 500000) / 1000000);
    audio::addSource(RenderSequencer, nullptr);
    if (c.notify) posts.push_back(Post{callback, MCI_NOTIFY_SUCCESSFUL, q.id});
    return 0;
}

// Closes the device; the caller releases the stream afterwards when this returns true.
bool CloseLocked(Sequencer& q, std::vector<Post>& posts) {
    if (!q.open) return false;
    EndPending(q, MCI_NOTIFY_ABORTED, posts);
    DropPlayer(q);
    // The synthesiser is not rendered while closed: the voices and the reverb it still held
    // would sound at the next open. They are let die away now, unheard.
    if (fluid_synth_t* synth = midi::readySynth(false)) {
        fluid_synth_system_reset(synth);
        float* chunk = mci().chunk;
        for (int done = 0; done < kFlushFrames; done += kRenderChunk)
            fluid_synth_write_float(synth, kRenderChunk, chunk, 0, 2, chunk, 1, 2);
    }
    audio::removeSource(RenderSequencer, nullptr);
    q = Sequencer{};
    return true;
}

MciError Command(const MciCommand& c, char* answer, std::uint32_t answerSize, WindowId callback,
                 std::vector<Post>& posts) {
    if (c.verb == MciCommand::Verb::Open) return Open(c, posts, callback);
    bool releaseStream = false;
    MciError result = 0;
    {
        std::lock_guard<audio::StreamLock> guard(audio::lock());
        Sequencer& q = mci().seq;
        bool all = c.verb == MciCommand::Verb::Close && SameName(c.device, "all");
        if (!all && (!q.open || !SameName(q.alias, c.device))) return MCIERR_INVALID_DEVICE_NAME;
        LParam id = q.id;
        switch (c.verb) {
            case MciCommand::Verb::Seek:
                EndPending(q, MCI_NOTIFY_ABORTED, posts);
                q.playing = false;
                DropPlayer(q);
                Silence();
                q.atEnd = c.seekTo == MciCommand::SeekTo::End;
                q.playedFrames = 0;
                q.catchUp = 0;
                // Only the restart of a piece that has just ended keeps the time of its end.
                if (q.atEnd) q.endedNaturally = false;
                EnsurePlayer(q, false);
                break;
            case MciCommand::Verb::Play:
                EndPending(q, MCI_NOTIFY_SUPERSEDED, posts);
                if (q.failed) {
                    if (c.notify) posts.push_back(Post{callback, MCI_NOTIFY_FAILURE, id});
                    return MCIERR_INVALID_FILE;
                }
                if (q.atEnd) {
                    // Nothing is left to play: the play is over at once.
                    if (c.notify) posts.push_back(Post{callback, MCI_NOTIFY_SUCCESSFUL, id});
                    return 0;
                }
                if (!q.playing && q.endedNaturally && q.playedFrames == 0 && q.sinceEnd < q.lengthFrames &&
                    q.sinceEnd <= kMaxCatchUp)
                    q.catchUp = q.sinceEnd;
                q.endedNaturally = false;
                q.playing = true;
                if (q.player != nullptr && fluid_player_play(q.player) != FLUID_OK) {
                    Fail(q, "the synthesiser's player does not start");
                    if (c.notify) posts.push_back(Post{callback, MCI_NOTIFY_FAILURE, id});
                    return MCIERR_INVALID_FILE;
                }
                if (c.notify) {
                    q.notifyPending = true;
                    q.notifyWindow = callback;
                }
                return 0;
            case MciCommand::Verb::Stop:
                EndPending(q, MCI_NOTIFY_ABORTED, posts);
                q.playing = false;
                q.endedNaturally = false;
                if (q.player != nullptr) fluid_player_stop(q.player);
                Silence();
                break;
            case MciCommand::Verb::Close:
                releaseStream = CloseLocked(q, posts);
                break;
            case MciCommand::Verb::Status: {
                if (!SameName(c.item, "mode")) return MCIERR_UNSUPPORTED_FUNCTION;
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
                break;
            }
            case MciCommand::Verb::Open:
                break;
        }
        if (c.notify && result == 0) posts.push_back(Post{callback, MCI_NOTIFY_SUCCESSFUL, id});
    }
    if (releaseStream) audio::releaseStream();
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
    MciError result = Command(c, answer, answerSize, callback, posts);
    // Posted after the lock is let go: the queue has a lock of its own.
    for (const Post& p : posts) postMessage(p.window, MM_MCINOTIFY, p.code, p.id);
    return result;
}

void logMciCommands(std::vector<std::string>* log) { mci().log = log; }

MciProbe probeMci() {
    std::lock_guard<audio::StreamLock> guard(audio::lock());
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
    std::vector<Post> ignored;
    bool release = false;
    {
        std::lock_guard<audio::StreamLock> guard(audio::lock());
        release = CloseLocked(mci().seq, ignored);
    }
    if (release) audio::releaseStream();
}

}  // namespace platform
