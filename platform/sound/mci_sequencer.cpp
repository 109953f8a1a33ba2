// Platform: the MIDI sequencer's music: a FluidSynth player for the device's file, rendered ahead
// into a ring that the output stream's render copies from, and the end of a play noticed.
#include "platform/sound/mci_sequencer.h"

#include <fluidsynth.h>

#include <chrono>
#include <cstdio>

#include "platform/backend.h"
#include "platform/sound/midi_synth.h"

namespace platform::sequencer {
namespace {

constexpr int kFlushFrames = 32768;   // three quarters of a second
// How far ahead of the audio thread the render thread keeps the music, and how much a command
// that changes what is heard renders at once, before the audio thread may reach it.
constexpr std::uint64_t kLeadFrames = 8 * audio::kDeviceFrames;
constexpr int kPrimeFrames = 2 * audio::kDeviceFrames;

// The player itself counts on until its last voice has died away, seconds later, and a piece
// whose events all lie at tick 0 has no length it could report: the piece is over once its
// length in frames has been rendered, counted here. A player that says it is done well before
// then never read the file.
constexpr std::int64_t kDoneSlack = 4096;

void putSilence(MciState& m, int frames) {
    float* chunk = m.chunk;
    std::fill(chunk, chunk + kRenderChunk * audio::kChannels, 0.0f);
    while (frames > 0) {
        int n = std::min(frames, kRenderChunk);
        m.ring.put(chunk, n);
        frames -= n;
    }
}

// The current pass has been rendered to its last frame: the play is over, and its notice is due
// at once when the render is the reader (`mayWait`), else once the reader got to this frame.
void endPass(MciState& m, bool mayWait, Notices& notices) {
    Sequencer& q = m.seq;
    q.playing = false;
    q.atEnd = true;
    q.endedNaturally = true;
    q.sinceEnd = 0;
    if (!q.notifyPending) return;
    if (mayWait) {
        notices.add(q.notifyWindow, MCI_NOTIFY_SUCCESSFUL, q.id);
    } else {
        m.endPending = true;
        m.endAt = m.ring.write.load(std::memory_order_relaxed);
        m.end = Post{q.notifyWindow, MCI_NOTIFY_SUCCESSFUL, q.id};
    }
    q.notifyPending = false;
}

// Renders `frames` more frames of music into the ring (room permitting). The end of a play is
// noticed at once when `mayWait` (the render itself is the reader), else once the reader got there.
void produce(MciState& m, int frames, bool mayWait, Notices& notices) {
    Sequencer& q = m.seq;
    if (!q.open) return;
    frames = std::min(frames, m.ring.room());
    ensurePlayer(q, mayWait, notices);
    fluid_synth_t* synth = midi::readySynth(false);
    // The font is still loading: silence keeps the reader fed meanwhile.
    if (synth == nullptr) return putSilence(m, frames);
    float* chunk = m.chunk;
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
        if (q.playedFrames >= q.lengthFrames)
            endPass(m, mayWait, notices);
        else if (fluid_player_get_status(q.player) == FLUID_PLAYER_DONE && q.playedFrames + kDoneSlack < q.lengthFrames)
            fail(q, "the synthesiser's player does not read the file", notices);
    }
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
                    const std::uint64_t ahead = m.ring.ready();
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

}  // namespace

void MusicRing::put(const float* in, int n) {
    std::uint64_t w = write.load(std::memory_order_relaxed);
    for (int i = 0; i < n; ++i, ++w) {
        float* f = frames + (w % kFrames) * audio::kChannels;
        f[0] = in[2 * i];
        f[1] = in[2 * i + 1];
    }
    write.store(w, std::memory_order_release);
}

float MusicRing::nextGain() {
    if (fadeDone >= fadeLength) return fadeTo;
    ++fadeDone;
    return fadeDone == fadeLength ? fadeTo
                                  : fadeFrom + (fadeTo - fadeFrom) * static_cast<float>(fadeDone) /
                                                   static_cast<float>(fadeLength);
}

int MusicRing::take(float* mix, int n) {
    // A new level asked for: the fade starts from the level heard now.
    const std::uint64_t request = volumeRequest.load(std::memory_order_acquire);
    const float from = volumeFrom.load(std::memory_order_acquire);
    // A request written meanwhile is taken whole at the next call.
    if (request != volumeSeen && request == volumeRequest.load(std::memory_order_acquire)) {
        volumeSeen = request;
        volumeTaken.store(request, std::memory_order_release);
        fadeFrom = from >= 0.0f ? from : heard.load(std::memory_order_relaxed);
        fadeTo = static_cast<float>((request >> 32) & 0xFFFF) / static_cast<float>(kFullLevel);
        fadeLength = static_cast<std::uint32_t>(request & 0xFFFFFFFF);
        fadeDone = 0;
    }
    std::uint64_t r = start();
    const std::uint64_t w = write.load(std::memory_order_acquire);
    const int got = static_cast<int>(std::min<std::uint64_t>(w - std::min(w, r), static_cast<std::uint64_t>(n)));
    float gain = heard.load(std::memory_order_relaxed);
    if (fadeDone >= fadeLength) gain = fadeTo;
    for (int i = 0; i < got; ++i, ++r) {
        const float* f = frames + (r % kFrames) * audio::kChannels;
        gain = nextGain();
        mix[2 * i] += f[0] * gain;
        mix[2 * i + 1] += f[1] * gain;
    }
    // A fade keeps time with the output, music or none (a rest the player skips, the end of a
    // piece), so that it lasts as long as it was asked to.
    for (int i = got; i < n && fadeDone < fadeLength; ++i) gain = nextGain();
    heard.store(gain, std::memory_order_relaxed);
    read.store(r, std::memory_order_release);
    return got;
}

MciState& mci() {
    // Never destroyed: the state outlives every thread that reads it (see audio::shutdown).
    static MciState* s = new MciState;
    return *s;
}

void endNotice(Sequencer& q, WParam code, Notices& notices) {
    if (q.notifyPending) notices.add(q.notifyWindow, code, q.id);
    q.notifyPending = false;
}

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
    endNotice(q, MCI_NOTIFY_FAILURE, notices);
}

void silenceMusic() {
    if (fluid_synth_t* synth = midi::readySynth(false)) fluid_synth_all_sounds_off(synth, -1);
}

void renderTail(MciState& m) {
    if (!m.tailPending) return;
    m.tailPending = false;
    if (fluid_synth_t* synth = midi::readySynth(false)) {
        fluid_synth_system_reset(synth);
        for (int done = 0; done < kFlushFrames; done += kRenderChunk)
            fluid_synth_write_float(synth, kRenderChunk, m.chunk, 0, 2, m.chunk, 1, 2);
    }
}

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

void takeEnd(MciState& m, Notices& notices) {
    if (!m.endPending) return;
    m.endPending = false;
    notices.add(m.end.window, m.end.code, m.end.id);
}

void startRenderThread(MciState& m) {
    // Without threads the stream's render renders the music itself, as the headless clock's does.
    if (backend::describe().threads && !m.renderer.joinable() && !m.stopping) m.renderer = std::thread(renderThread);
}

void renderSequencer(void*, float* mix, int frames, bool mayWait) {
    MciState& m = mci();
    m.realTime.store(!mayWait, std::memory_order_relaxed);
    if (mayWait) {
        Notices notices;
        {
            std::lock_guard<std::mutex> guard(m.lock);
            const std::uint64_t ready = m.ring.ready();
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

}  // namespace platform::sequencer
