// Platform: where the text renderer may break a line: after spaces, and between Japanese
// characters except before closing punctuation or after opening brackets.
#pragma once

namespace platform {

// A space that a line may end with; the spaces at a break are not drawn.
bool isBreakSpace(char32_t c);

// Called by drawText for each pair of neighbouring characters of a word-broken line: true when a
// line may end after `before` and the next begin with `after`.
bool canBreakBetween(char32_t before, char32_t after);

}  // namespace platform
