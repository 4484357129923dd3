// The bus as FT_ListDevices shows it: counting, listing and numbering the attached boards.
#include <algorithm>
#include <cstring>

#include "emulator/Bus.h"

namespace emulator {

namespace {

void CopyListText(char* buffer, const std::string& text)
{
    const std::size_t length = std::min(text.size(), std::size_t(FT_LIST_BUFFER_SIZE - 1));
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

} // namespace

void Bus::PlugAppearingBoard(int index)
{
    if (index < 0) {
        for (const auto& board : boards_) {
            if (!board->Attached()) {
                index = board->Index();
                break;
            }
        }
    }
    if (index < 0 || index >= BoardCount()) {
        AddBoard(StandardBoard(BoardCount()));
        return;
    }
    boards_[static_cast<std::size_t>(index)]->Plug();
}

FT_STATUS Bus::Count(DWORD& count)
{
    if (faults_.Fire(FaultKind::CountFails, CallTrigger(-1)))
        return FT_IO_ERROR;
    count = AttachedCount();
    return FT_OK;
}

DWORD Bus::AttachedCount() const
{
    DWORD count = 0;
    for (const auto& board : boards_)
        count += board->Attached() ? 1 : 0;
    return count;
}

FT_STATUS Bus::ListAll(char** buffers, DWORD field, DWORD& count, std::vector<std::string>& listed)
{
    if (field != FT_OPEN_BY_SERIAL_NUMBER && field != FT_OPEN_BY_DESCRIPTION)
        return FT_INVALID_PARAMETER;
    if (faults_.Fire(FaultKind::ListFails, CallTrigger(-1)))
        return FT_IO_ERROR;
    // Plugged in just now, after the program counted the boards and before it lists them.
    if (const std::optional<Fault> appearing = faults_.Fire(FaultKind::BoardAppears, CallTrigger(-1)))
        PlugAppearingBoard(appearing->board);
    const bool pastNull = faults_.Fire(FaultKind::ListPastNull, CallTrigger(-1)).has_value();
    count = 0;
    for (const auto& board : boards_) {
        if (!board->Attached())
            continue;
        const std::string& text =
            field == FT_OPEN_BY_SERIAL_NUMBER ? board->Serial() : board->Description();
        // The vendor's driver writes through whatever pointer it finds here; stopping at the
        // caller's terminating null keeps a too short table from crashing the process, unless
        // the list-past-null fault asks for the vendor's way.
        if (buffers[count] == nullptr && !pastNull)
            break;
        CopyListText(buffers[count], text);
        listed.push_back(text);
        ++count;
    }
    count = AttachedCount();
    return FT_OK;
}

FT_STATUS Bus::ListByIndex(DWORD number, char* buffer, DWORD field, std::string& listed)
{
    if (field != FT_OPEN_BY_SERIAL_NUMBER && field != FT_OPEN_BY_DESCRIPTION)
        return FT_INVALID_PARAMETER;
    int index = 0;
    Board* board = AttachedByNumber(static_cast<int>(number), index);
    if (!board)
        return FT_DEVICE_NOT_FOUND;
    listed = field == FT_OPEN_BY_SERIAL_NUMBER ? board->Serial() : board->Description();
    CopyListText(buffer, listed);
    return FT_OK;
}

Board* Bus::AttachedByNumber(int number, int& index)
{
    if (number < 0)
        return nullptr;
    int position = 0;
    for (index = 0; index < BoardCount(); ++index) {
        if (!boards_[static_cast<std::size_t>(index)]->Attached())
            continue;
        if (position++ == number)
            return boards_[static_cast<std::size_t>(index)].get();
    }
    return nullptr;
}

} // namespace emulator
