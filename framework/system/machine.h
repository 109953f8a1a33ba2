// elSystem's neighbours: what a program reads of the machine besides the services (the tick
// count, the calendar time) and the pictures and sounds it makes itself as resources.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/files/resources.h"
#include "platform/window/system.h"

namespace quorbix {

// The tick count the frame clock and the wait timers read: milliseconds, unsigned 32-bit,
// wrapping after about 49.7 days (compare differences, never values). It stands still during a
// frame on the headless clock and while a session is recorded or replayed.
inline std::uint32_t TickCount() { return platform::getTickCount(); }
// The calendar time in whole seconds (the random generator's seed); recorded and replayed.
inline std::int64_t CalendarTime() { return platform::calendarTime(); }

// A picture ("BITMAP": a BMP file) or a sound ("WAVE": a RIFF WAVE file) a program made itself,
// found by LoadObject and elSound::LoadObject by its name before the built-in resources and
// after files of that name.
using Resource = platform::ResourceEntry;
// Offers `count` resources from now on, in place of those offered before; they must live until
// replaced (a static table). Null and 0 offer none.
inline void OfferResources(const Resource* resources, int count) { platform::setExtraResources(resources, count); }

}  // namespace quorbix

#include "framework/core/legacy_names.h"
