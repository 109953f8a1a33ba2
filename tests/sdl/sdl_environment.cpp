// SDL backend tests: SDL's stand-in devices, chosen before any test starts SDL (a driver the
// person running the tests chose on purpose is kept).
#include <cstdlib>

namespace {

const bool kStandIns = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    return true;
}();

}  // namespace
