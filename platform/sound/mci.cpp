// Platform: the MCI command strings carried out on the MIDI sequencer's one device (open, seek,
// play, stop, close, status), each with the notices it owes. How the music is rendered is in
// platform/sound/mci_sequencer.cpp.
#include "platform/sound/mci.h"

#include <fluidsynth.h>
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/files/os.h"
#include "platform/sound/audio_stream.h"
#include "platform/sound/mci_sequencer.h"
#include "platform/sound/midi_file.h"
#include "platform/sound/midi_synth.h"

namespace platform {
namespace {

using namespace sequencer;

// A restart later than this after the end (the program stood still) starts the piece afresh.
constexpr std::int64_t kMaxCatchUp = audio::kRate / 4;

bool sameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

bool hasMidiExtension(const std::string& path) {
    for (const char* ext : {".mid", ".midi", ".rmi"}) {
        std::size_t n = std::strlen(ext);
        if (path.size() > n && strcasecmp(path.c_str() + path.size() - n, ext) == 0) return true;
    }
    return false;
}

MciError readMidiFile(const std::string& path, MidiPiece& piece) {
    std::uint64_t size = 0;
    if (os::kindOf(path, &size) != os::Kind::regular) return MCIERR_FILE_NOT_FOUND;
    if (size == 0 || size > kMaxMidiFileBytes) {
        std::fprintf(stderr, "sequencer: %s is not played: %s\n", path.c_str(),
                     size == 0 ? "an empty file" : "larger than 16 MB");
        return MCIERR_INVALID_FILE;
    }
    std::FILE* f = os::openFile(path, "rb");
    if (f == nullptr) return MCIERR_FILE_NOT_FOUND;
    std::vector<std::uint8_t> bytes;
    bytes.resize(static_cast<std::size_t>(size));
    std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    bytes.resize(got);
    const char* why = "";
    if (normaliseMidiFile(bytes.data(), bytes.size(), piece, &why)) return 0;
    std::fprintf(stderr, "sequencer: %s is not played: %s\n", path.c_str(), why);
    return MCIERR_INVALID_FILE;
}

// A command's own notice, posted to the window it gave when it asked for "notify". The device's
// id is taken before the command runs: a close clears it.
struct Reply {
    bool notify;
    WindowId window;
    LParam id;
    void add(Notices& notices, WParam code) const {
        if (notify) notices.add(window, code, id);
    }
};

MciError openDevice(const MciCommand& c, std::vector<Post>& posts, WindowId callback) {
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
        startRenderThread(m);
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
        q.lengthFrames = piece.frames(audio::kRate);
        m.ring.primed = false;
        rerender(m, notices);
        Reply{c.notify, callback, q.id}.add(notices, MCI_NOTIFY_SUCCESSFUL);
    }
    // The stream's lock is never taken inside the sequencer's (the render takes them the other way).
    {
        std::lock_guard<audio::StreamLock> guard(audio::lock());
        audio::addSource(renderSequencer, nullptr, true);
    }
    notices.appendTo(posts);
    return 0;
}

// The commands below run with MciState::lock held, on the open device.

// Back to the start or to the end of the piece, stopped.
void seek(MciState& m, MciCommand::SeekTo to, const Reply& reply, Notices& notices) {
    Sequencer& q = m.seq;
    endNotice(q, MCI_NOTIFY_ABORTED, notices);
    q.playing = false;
    dropPlayer(q);
    silenceMusic();
    q.atEnd = to == MciCommand::SeekTo::End;
    q.playedFrames = 0;
    q.catchUp = 0;
    // Only the restart of a piece that has just ended keeps the time of its end.
    if (q.atEnd) q.endedNaturally = false;
    ensurePlayer(q, false, notices);
    rerender(m, notices);
    reply.add(notices, MCI_NOTIFY_SUCCESSFUL);
}

MciError play(MciState& m, const Reply& reply, Notices& notices) {
    Sequencer& q = m.seq;
    endNotice(q, MCI_NOTIFY_SUPERSEDED, notices);
    if (q.failed) {
        reply.add(notices, MCI_NOTIFY_FAILURE);
        return MCIERR_INVALID_FILE;
    }
    if (q.atEnd) {
        // Nothing is left to play: the play is over at once.
        reply.add(notices, MCI_NOTIFY_SUCCESSFUL);
        return 0;
    }
    if (!q.playing && q.endedNaturally && q.playedFrames == 0 && q.sinceEnd < q.lengthFrames &&
        q.sinceEnd <= kMaxCatchUp)
        q.catchUp = q.sinceEnd;
    q.endedNaturally = false;
    q.playing = true;
    if (q.player != nullptr && fluid_player_play(q.player) != FLUID_OK) {
        fail(q, "the synthesiser's player does not start", notices);
        reply.add(notices, MCI_NOTIFY_FAILURE);
        return MCIERR_INVALID_FILE;
    }
    // The play's own notice comes when it reaches its end (or is cut short).
    if (reply.notify) {
        q.notifyPending = true;
        q.notifyWindow = reply.window;
    }
    rerender(m, notices);
    return 0;
}

void stop(MciState& m, const Reply& reply, Notices& notices) {
    Sequencer& q = m.seq;
    endNotice(q, MCI_NOTIFY_ABORTED, notices);
    q.playing = false;
    q.endedNaturally = false;
    if (q.player != nullptr) fluid_player_stop(q.player);
    silenceMusic();
    rerender(m, notices);
    reply.add(notices, MCI_NOTIFY_SUCCESSFUL);
}

// Closes the device; the caller removes its source and releases the stream afterwards when this
// returns true.
bool closeLocked(MciState& m, Notices& notices) {
    Sequencer& q = m.seq;
    if (!q.open) return false;
    takeEnd(m, notices);
    endNotice(q, MCI_NOTIFY_ABORTED, notices);
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

// "status NAME mode": "playing" or "stopped" into the caller's answer, if it fits.
MciError status(const Sequencer& q, const std::string& item, char* answer, std::uint32_t answerSize,
                const Reply& reply, Notices& notices) {
    if (!sameName(item, "mode")) return MCIERR_UNSUPPORTED_FUNCTION;
    const char* mode = q.playing ? "playing" : "stopped";
    if (answer != nullptr && answerSize > 0) {
        std::size_t n = std::strlen(mode);
        if (n >= answerSize) {
            answer[0] = '\0';
            return MCIERR_PARAM_OVERFLOW;
        }
        std::memcpy(answer, mode, n + 1);
    }
    reply.add(notices, MCI_NOTIFY_SUCCESSFUL);
    return 0;
}

MciError runCommand(const MciCommand& c, char* answer, std::uint32_t answerSize, WindowId callback,
                    std::vector<Post>& posts) {
    if (c.verb == MciCommand::Verb::Open) return openDevice(c, posts, callback);
    MciState& m = mci();
    bool closed = false;
    MciError result = 0;
    Notices notices;
    {
        std::lock_guard<std::mutex> guard(m.lock);
        Sequencer& q = m.seq;
        bool all = c.verb == MciCommand::Verb::Close && sameName(c.device, "all");
        if (!all && (!q.open || !sameName(q.alias, c.device))) return MCIERR_INVALID_DEVICE_NAME;
        const Reply reply{c.notify, callback, q.id};
        if (c.verb != MciCommand::Verb::Status) takeEnd(m, notices);
        switch (c.verb) {
            case MciCommand::Verb::Seek: seek(m, c.seekTo, reply, notices); break;
            case MciCommand::Verb::Play: result = play(m, reply, notices); break;
            case MciCommand::Verb::Stop: stop(m, reply, notices); break;
            case MciCommand::Verb::Close:
                closed = closeLocked(m, notices);
                reply.add(notices, MCI_NOTIFY_SUCCESSFUL);
                break;
            case MciCommand::Verb::Status: result = status(q, c.item, answer, answerSize, reply, notices); break;
            case MciCommand::Verb::Open: break;
        }
    }
    if (closed) closeSource();
    notices.appendTo(posts);
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

void setMusicVolume(float level, std::uint32_t fadeFrames) {
    static std::mutex writers;   // one request at a time, so that each gets its own count
    std::lock_guard<std::mutex> guard(writers);
    sequencer::MusicRing& ring = sequencer::mci().ring;
    const float clamped = level > 1.0f ? 1.0f : level > 0.0f ? level : 0.0f;   // a NaN is silence
    const auto units = static_cast<std::uint64_t>(clamped * sequencer::MusicRing::kFullLevel + 0.5f);
    const std::uint64_t previous = ring.volumeRequest.load();
    // A request the reader has not taken yet is replaced, and what would have been heard by now
    // had it been taken is where the new one starts: its level when it was immediate, else where
    // it would have started.
    float from = -1.0f;
    if (previous != ring.volumeTaken.load(std::memory_order_acquire))
        from = (previous & 0xFFFFFFFF) == 0
                   ? static_cast<float>((previous >> 32) & 0xFFFF) / sequencer::MusicRing::kFullLevel
                   : ring.volumeFrom.load();
    ring.volumeFrom.store(from, std::memory_order_release);
    ring.volumeRequest.store(sequencer::MusicRing::pack((previous >> 48) + 1, units, fadeFrames),
                             std::memory_order_release);
}

float musicVolumeHeard() { return sequencer::mci().ring.heard.load(std::memory_order_relaxed); }

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
