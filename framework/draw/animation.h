// elDraw's neighbour: sprite-sheet animation, a strip of cells of one size side by side in a
// picture, each shown for a frame time, over and over or once.
#pragma once
#include <cstdint>

#include "framework/draw/rect.h"

namespace quorbix {

// An animation's cells and timing. Cell n lies at FirstCell moved right n cell widths. Time is
// counted in milliseconds from the animation's start (quorbix::TickCount() now less at the
// start: the difference stays right when the tick count wraps).
struct Animation {
    Rect FirstCell;              // where cell 0 lies in the picture, and every cell's size
    int Cells = 1;               // cells in the strip (fewer than 1 counts as 1)
    std::uint32_t CellMs = 100;  // how long each cell shows (0 counts as 1)
    bool Loop = true;            // after the last cell: the first again, or the last held

    // The cell shown `elapsedMs` after the start, 0 to Cells - 1.
    int CellAt(std::uint32_t elapsedMs) const;
    // That cell's rectangle in the picture, for PutObject's source.
    Rect CellRectAt(std::uint32_t elapsedMs) const;
    // Whether an animation played once has shown its last cell for its whole time (never for
    // one that loops).
    bool FinishedAt(std::uint32_t elapsedMs) const;
};

}  // namespace quorbix
