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

// The one sequencer device. Everything here is guarded by audio::lock(): the audio thread
// renders it and finds the end of a play.
struct Sequencer {
    bool open = false;
    int id = 0;
    std::string alias;
    std::vector<std::uint8_t> file;
    fluid_player_t* player = nullptr;   // made once the synthesiser is ready
    bool playing = false;
    bool atEnd = false;
    bool notifyPending = false;
    WindowId notifyWindow = 0;
};

struct MciState {
    Sequencer seq;
    int lastId = 0;
    std::vector<std::string>* log = nullptr;
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

MciError ReadMidiFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return MCIERR_FILE_NOT_FOUND;
    if (st.st_size <= 0 || static_cast<std::uint64_t>(st.st_size) > kMaxMidiFileBytes) return MCIERR_INVALID_FILE;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return MCIERR_FILE_NOT_FOUND;
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    bytes.resize(got);
    return checkMidiFile(bytes.data(), bytes.size()) ? 0 : MCIERR_INVALID_FILE;
}

// With audio::lock() held, as are all the helpers below.
void EnsurePlayer(Sequencer& q, bool mayWait) {
    if (q.player != nullptr || q.atEnd) return;
    fluid_synth_t* synth = midi::readySynth(mayWait);
    if (synth == nullptr) return;
    q.player = new_fluid_player(synth);
    if (q.player == nullptr) return;
    fluid_player_add_mem(q.player, q.file.data(), q.file.size());
    if (q.playing) fluid_player_play(q.player);
}

void DropPlayer(Sequencer& q) {
    if (q.player == nullptr) return;
    fluid_player_stop(q.player);
    delete_fluid_player(q.player);
    q.player = nullptr;
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

// The player counts on until its last voice has died away, seconds later; the piece itself is
// over once its last event's tick has passed.
bool PlayedToEnd(fluid_player_t* player) {
    if (fluid_player_get_status(player) == FLUID_PLAYER_DONE) return true;
    int total = fluid_player_get_total_ticks(player);
    return total > 0 && fluid_player_get_current_tick(player) >= total;
}

void RenderSequencer(void*, float* mix, int frames, bool mayWait) {
    Sequencer& q = mci().seq;
    if (!q.open) return;
    EnsurePlayer(q, mayWait);
    fluid_synth_t* synth = midi::readySynth(false);
    if (synth == nullptr) return;
    float* chunk = mci().chunk;
    while (frames > 0) {
        int n = std::min(frames, kRenderChunk);
        fluid_synth_write_float(synth, n, chunk, 0, 2, chunk, 1, 2);
        for (int i = 0; i < n * audio::kChannels; ++i) mix[i] += chunk[i];
        mix += n * audio::kChannels;
        frames -= n;
        if (q.playing && q.player != nullptr && PlayedToEnd(q.player)) {
            q.playing = false;
            q.atEnd = true;
            if (q.notifyPending) {
                audio::postAfterRender(q.notifyWindow, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, q.id);
                q.notifyPending = false;
            }
        }
    }
}

MciError Open(const MciCommand& c, std::vector<Post>& posts, WindowId callback) {
    if (!c.type.empty() ? !SameName(c.type, "sequencer") : !HasMidiExtension(c.device))
        return MCIERR_INVALID_DEVICE_NAME;
    std::string alias = c.alias.empty() ? c.device : c.alias;
    MciState& m = mci();
    {
        std::lock_guard<std::mutex> guard(audio::lock());
        if (m.seq.open) return SameName(m.seq.alias, alias) ? MCIERR_DUPLICATE_ALIAS : MCIERR_DEVICE_OPEN;
    }
    std::vector<std::uint8_t> bytes;
    if (MciError e = ReadMidiFile(c.device, bytes)) return e;
    if (!audio::acquireStream()) return MCIERR_HARDWARE;
    midi::startSynth();
    std::lock_guard<std::mutex> guard(audio::lock());
    Sequencer& q = m.seq;
    q = Sequencer{};
    q.open = true;
    q.id = ++m.lastId;
    q.alias = alias;
    q.file = std::move(bytes);
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
        std::lock_guard<std::mutex> guard(audio::lock());
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
                EnsurePlayer(q, false);
                break;
            case MciCommand::Verb::Play:
                EndPending(q, MCI_NOTIFY_SUPERSEDED, posts);
                if (q.atEnd) {
                    // Nothing is left to play: the play is over at once.
                    if (c.notify) posts.push_back(Post{callback, MCI_NOTIFY_SUCCESSFUL, id});
                    return 0;
                }
                q.playing = true;
                if (q.player != nullptr) fluid_player_play(q.player);
                if (c.notify) {
                    q.notifyPending = true;
                    q.notifyWindow = callback;
                }
                return 0;
            case MciCommand::Verb::Stop:
                EndPending(q, MCI_NOTIFY_ABORTED, posts);
                q.playing = false;
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

void resetMci() {
    std::vector<Post> ignored;
    bool release = false;
    {
        std::lock_guard<std::mutex> guard(audio::lock());
        release = CloseLocked(mci().seq, ignored);
    }
    if (release) audio::releaseStream();
}

}  // namespace platform
