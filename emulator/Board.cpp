#include "emulator/Board.h"

namespace emulator {

Board::Board(const BoardSettings& settings) : settings_(settings), attached_(settings.attached)
{
}

void Board::Plug()
{
    if (attached_)
        return;
    attached_ = true;
    ++generation_;
    queue_.Clear();
}

void Board::Unplug()
{
    if (!attached_)
        return;
    attached_ = false;
    ++generation_;
    queue_.Clear();
}

} // namespace emulator
