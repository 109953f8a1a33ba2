// elSystem: the releases that elSystem::Shutdown runs. Each service that owns something to
// release registers it where its state is defined, so that elSystem need not include the
// services above it:
//     const elSystem::ShutdownRegistration kScreenRelease{elSystem::ShutdownStep::Screen, ReleaseScreen};
#pragma once

namespace elSystem {

// The order of the releases: the display (elDraw::ReleaseScreen), the sound device and the music
// (elSound::Release), the font description (elDraw::FreeFont).
enum class ShutdownStep { Screen, Sound, Font };
constexpr int kShutdownSteps = 3;

class ShutdownRegistration {
public:
    ShutdownRegistration(ShutdownStep step, void (*release)());
};

}  // namespace elSystem
