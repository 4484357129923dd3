#include "cli/AttachedBoards.h"

#include <algorithm>

#include "cli/Utf8.h"

DeviceListResult ListAttachedBoards(D2xxBinding& driver, std::vector<AttachedBoard>& boards)
{
    boards.clear();
    DWORD count = 0;
    if (CountDevices(driver, count) != FT_OK)
        return DEVICE_LIST_COUNT_FAILED;
    if (count == 0)
        return DEVICE_LIST_OK;
    // One list by serial number, one by description: the driver gives one kind a call.
    std::vector<std::string> serials;
    std::vector<std::string> descriptions;
    DWORD listed = 0;
    if (ListDeviceNames(driver, OPEN_BY_SERIAL_NUMBER, listed, serials) != DEVICE_LIST_OK ||
        ListDeviceNames(driver, OPEN_BY_DESCRIPTION, listed, descriptions) != DEVICE_LIST_OK)
        return DEVICE_LIST_FAILED;
    for (std::size_t number = 0; number < serials.size(); ++number) {
        // A board plugged in between the two lists has a serial number and no description.
        boards.push_back({static_cast<int>(number), Latin1ToUtf8(serials[number]),
                          number < descriptions.size() ? Latin1ToUtf8(descriptions[number]) : ""});
    }
    return DEVICE_LIST_OK;
}

std::string OptionPicking(const AttachedBoard& board, const std::vector<AttachedBoard>& boards)
{
    const auto unique = [&boards](const std::string& text, std::string AttachedBoard::*field) {
        return !text.empty() && std::count_if(boards.begin(), boards.end(), [&](const AttachedBoard& other) {
                                    return other.*field == text;
                                }) == 1;
    };
    if (unique(board.serial, &AttachedBoard::serial))
        return "--serial " + board.serial;
    if (unique(board.description, &AttachedBoard::description))
        return "--description '" + board.description + "'";
    return "--device " + std::to_string(board.device);
}
