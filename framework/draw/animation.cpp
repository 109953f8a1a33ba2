// elDraw's neighbour: sprite-sheet animation.
#include "framework/draw/animation.h"

#include <algorithm>

namespace quorbix {

namespace {
std::uint32_t CellCount(const Animation& a) { return static_cast<std::uint32_t>(std::max(a.Cells, 1)); }
std::uint32_t CellTime(const Animation& a) { return std::max<std::uint32_t>(a.CellMs, 1); }
}  // namespace

int Animation::CellAt(std::uint32_t elapsedMs) const {
    const std::uint32_t step = elapsedMs / CellTime(*this);
    return static_cast<int>(Loop ? step % CellCount(*this) : std::min(step, CellCount(*this) - 1));
}

Rect Animation::CellRectAt(std::uint32_t elapsedMs) const {
    Rect cell = FirstCell;
    cell.X = static_cast<int>(FirstCell.X + std::int64_t{CellAt(elapsedMs)} * FirstCell.W);
    return cell;
}

bool Animation::FinishedAt(std::uint32_t elapsedMs) const {
    return !Loop && std::uint64_t{elapsedMs} >= std::uint64_t{CellCount(*this)} * CellTime(*this);
}

}  // namespace quorbix
