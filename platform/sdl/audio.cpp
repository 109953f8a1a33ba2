// SDL2 backend: audio outputs as SDL audio devices (44100 Hz, stereo, 16-bit, 512-frame buffer;
// SDL converts where the hardware differs). Leaves out: nothing; without a device the game is
// silent, which is said once on standard error.
#include <SDL.h>

#include <cstdio>

#include "platform/window/program_name.h"
#include "platform/sound/audio_stream.h"
#include "platform/backend.h"

namespace platform::sdl {
namespace {

struct Output {
    SDL_AudioDeviceID device = 0;
    backend::AudioRenderFn render = nullptr;
    void* user = nullptr;
};

struct SdlAudio {
    bool tried = false;
    bool ok = false;
    bool failureSaid = false;
    Output* outputs[8] = {};
};

SdlAudio audioDevices;

// Runs on SDL's audio thread.
void SDLCALL audioCallback(void* user, Uint8* stream, int len) {
    auto* o = static_cast<Output*>(user);
    o->render(o->user, reinterpret_cast<std::int16_t*>(stream), len / (audio::kChannels * 2), false);
}

bool ensureAudio() {
    if (audioDevices.tried) return audioDevices.ok;
    audioDevices.tried = true;
    // The audio subsystem stands apart from video: a machine without a display may still play.
    audioDevices.ok = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    return audioDevices.ok;
}

void sayNoDevice() {
    if (!audioDevices.failureSaid)
        platform::say("no audio device could be opened (%s); the program goes on silent\n",
                     SDL_GetError());
    audioDevices.failureSaid = true;
}

}  // namespace
}  // namespace platform::sdl

namespace platform::backend {

using sdl::audioDevices;

// ---------------------------------------------------------------- audio

int openAudioOutput(AudioRenderFn render, void* user) {
    if (render == nullptr) return 0;
    if (!sdl::ensureAudio()) {
        sdl::sayNoDevice();
        return 0;
    }
    int slot = 0;
    while (slot < 8 && audioDevices.outputs[slot] != nullptr) ++slot;
    if (slot == 8) return 0;
    auto* o = new sdl::Output{0, render, user};
    SDL_AudioSpec want{};
    want.freq = audio::kRate;
    want.format = AUDIO_S16SYS;
    want.channels = audio::kChannels;
    want.samples = audio::kDeviceFrames;
    want.callback = sdl::audioCallback;
    want.userdata = o;
    SDL_AudioSpec have{};
    o->device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (o->device == 0) {
        delete o;
        sdl::sayNoDevice();
        return 0;
    }
    audioDevices.outputs[slot] = o;
    SDL_PauseAudioDevice(o->device, 0);
    return slot + 1;
}

void closeAudioOutput(int output) {
    if (output < 1 || output > 8 || audioDevices.outputs[output - 1] == nullptr) return;
    sdl::Output* o = audioDevices.outputs[output - 1];
    // Returns once the callback has finished for good.
    SDL_CloseAudioDevice(o->device);
    delete o;
    audioDevices.outputs[output - 1] = nullptr;
}

void waitAudio(std::uint32_t ms) { SDL_Delay(ms); }

}  // namespace platform::backend
