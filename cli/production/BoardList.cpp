#include "cli/production/BoardList.h"

#include <algorithm>

#include "cli/Utf8.h"
#include "link/DeviceSelection.h"

Outcome ListBoards(D2xxBinding& driver, std::vector<BoardIdentity>& attached)
{
    attached.clear();
    DWORD count = 0;
    if (CountDevices(driver, count) != FT_OK)
        return {EXIT_NO_BOARD, "FT_ListDevices failed"};
    if (count == 0)
        return {};
    std::vector<std::string> serials;
    std::vector<std::string> descriptions;
    DWORD listed = 0;
    if (ListDeviceNames(driver, OPEN_BY_SERIAL_NUMBER, listed, serials) != DEVICE_LIST_OK ||
        ListDeviceNames(driver, OPEN_BY_DESCRIPTION, listed, descriptions) != DEVICE_LIST_OK)
        return {EXIT_NO_BOARD, "ListDevices failed"};
    for (std::size_t number = 0; number < serials.size(); ++number) {
        // A board plugged in between the two lists has a serial number and no description.
        attached.push_back({static_cast<int>(number), serials[number],
                            number < descriptions.size() ? descriptions[number] : ""});
    }
    return {};
}

Outcome ChooseBoards(const std::vector<DeviceSelection>& selections, bool all,
                     const std::vector<BoardIdentity>& attached, std::vector<BoardIdentity>& chosen)
{
    chosen.clear();
    if (all) {
        if (attached.empty())
            return {EXIT_NO_BOARD, "--all: no board is attached."};
        chosen = attached;
        return {};
    }
    for (const DeviceSelection& selection : selections) {
        if (selection.openMethod == OPEN_BY_DEVICE_NUMBER && DeviceNumberOf(selection.searchText) < 0)
            return {EXIT_USAGE, "Select a method to open or enter a valid device number (0-64)."};
        // The first board that matches, as the driver's open by serial number or description does.
        const auto match = std::find_if(attached.begin(), attached.end(), [&](const BoardIdentity& board) {
            switch (selection.openMethod) {
            case OPEN_BY_SERIAL_NUMBER: return board.serial == selection.searchText;
            case OPEN_BY_DESCRIPTION: return board.description == selection.searchText;
            default: return board.device == DeviceNumberOf(selection.searchText);
            }
        });
        const char* option = selection.openMethod == OPEN_BY_SERIAL_NUMBER ? "--serial "
                             : selection.openMethod == OPEN_BY_DESCRIPTION ? "--description "
                                                                            : "--device ";
        if (match == attached.end())
            return {EXIT_NO_BOARD, option + selection.searchText + ": no such board is attached (see quillet list)."};
        if (std::any_of(chosen.begin(), chosen.end(), [&](const BoardIdentity& b) { return b.device == match->device; }))
            return {EXIT_USAGE, option + selection.searchText + " names " + BoardName(*match) +
                                    " a second time; name each board once."};
        chosen.push_back(*match);
    }
    std::sort(chosen.begin(), chosen.end(),
              [](const BoardIdentity& a, const BoardIdentity& b) { return a.device < b.device; });
    return {};
}

DeviceSelection SelectionOf(const BoardIdentity& board, const std::vector<BoardIdentity>& attached)
{
    const auto sameSerial = std::count_if(attached.begin(), attached.end(),
                                          [&](const BoardIdentity& b) { return b.serial == board.serial; });
    if (!board.serial.empty() && sameSerial == 1)
        return {OPEN_BY_SERIAL_NUMBER, board.serial};
    return {OPEN_BY_DEVICE_NUMBER, std::to_string(board.device)};
}

std::string BoardName(const BoardIdentity& board)
{
    const std::string device = "device " + std::to_string(board.device);
    if (board.serial.empty())
        return device;
    return Latin1ToUtf8(board.serial) + " (" + device + ")";
}

std::string OptionPicking(const BoardIdentity& board, const std::vector<BoardIdentity>& attached)
{
    const auto unique = [&attached](const std::string& text, std::string BoardIdentity::*field) {
        return !text.empty() && std::count_if(attached.begin(), attached.end(), [&](const BoardIdentity& other) {
                                    return other.*field == text;
                                }) == 1;
    };
    if (unique(board.serial, &BoardIdentity::serial))
        return "--serial " + Latin1ToUtf8(board.serial);
    if (unique(board.description, &BoardIdentity::description))
        return "--description '" + Latin1ToUtf8(board.description) + "'";
    return "--device " + std::to_string(board.device);
}
