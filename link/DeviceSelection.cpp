#include "link/DeviceSelection.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "link/D2xxBinding.h"
#include "link/LinkHost.h"
#include "link/MessageSink.h"

namespace {

// The untouched default text of description mode: opening with it cannot mean a board.
constexpr char kDescriptionPrompt[] = "Enter Device Description";

} // namespace

int DeviceNumberOf(const std::string& searchText)
{
    if (searchText.empty())
        return 0;
    if (searchText.size() > 2)
        return -1;
    // The conversion of the C library's atoi, on at most two characters.
    std::size_t position = 0;
    while (position < searchText.size() && std::isspace(static_cast<unsigned char>(searchText[position])))
        ++position;
    bool negative = false;
    if (position < searchText.size() && (searchText[position] == '-' || searchText[position] == '+')) {
        negative = searchText[position] == '-';
        ++position;
    }
    int value = 0;
    while (position < searchText.size() && std::isdigit(static_cast<unsigned char>(searchText[position]))) {
        value = value * 10 + (searchText[position] - '0');
        ++position;
    }
    if (negative)
        value = -value;
    return value >= 0 && value <= MAX_DEVICE_NUMBER ? value : -1;
}

int OpenSelectedDevice(D2xxBinding& driver, LinkHost& host, MessageSink& messages)
{
    driver.Close();
    DeviceSelection selection = host.ReadSelection();
    if (selection.searchText.find(kDescriptionPrompt) != std::string::npos) {
        host.FocusSearchText();
        messages.ShowMessage("You must enter a Device Description or Serial Number.");
        return OPEN_REFUSED;
    }
    switch (selection.openMethod) {
    case OPEN_BY_SERIAL_NUMBER:
        // Passed exactly as typed: the driver compares case sensitively.
        return static_cast<int>(driver.OpenEx(selection.searchText, FT_OPEN_BY_SERIAL_NUMBER));
    case OPEN_BY_DESCRIPTION:
        return static_cast<int>(driver.OpenEx(selection.searchText, FT_OPEN_BY_DESCRIPTION));
    default: {
        const int deviceNumber = DeviceNumberOf(selection.searchText);
        if (deviceNumber < 0) {
            messages.ShowMessage("Select a method to open or enter a valid device number (0-64).");
            return OPEN_REFUSED;
        }
        return static_cast<int>(driver.Open(deviceNumber));
    }
    }
}

FT_STATUS CountDevices(D2xxBinding& driver, DWORD& count)
{
    count = 0;
    return driver.ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY);
}

DeviceListResult ListDeviceNames(D2xxBinding& driver, int openMethod, DWORD& count,
                                 std::vector<std::string>& names)
{
    names.clear();
    DWORD counted = 0;
    if (CountDevices(driver, counted) != FT_OK)
        return DEVICE_LIST_COUNT_FAILED;

    // The vendor's driver writes one name per board attached when it answers, without looking
    // for the end of the table: the table holds every board just counted and spare entries for
    // boards plugged in between the two calls, each with its buffer, then a null entry.
    const std::size_t entries = std::size_t{counted} + SPARE_LIST_ENTRIES;
    std::vector<std::array<char, FT_LIST_BUFFER_SIZE>> buffers(entries);
    std::vector<char*> list;
    for (auto& buffer : buffers)
        list.push_back(buffer.data());
    list.push_back(nullptr);

    const DWORD flags = FT_LIST_ALL | (openMethod == OPEN_BY_DESCRIPTION ? FT_OPEN_BY_DESCRIPTION
                                                                         : FT_OPEN_BY_SERIAL_NUMBER);
    count = counted;
    if (driver.ListDevices(list.data(), &count, flags) != FT_OK)
        return DEVICE_LIST_FAILED;
    // Only names the driver wrote into buffers of ours, and no more than the window lists.
    const DWORD listed = std::min({count, static_cast<DWORD>(entries), DWORD{MAX_LISTED_DEVICES}});
    for (DWORD index = 0; index < listed; ++index) {
        auto& buffer = buffers[index];
        buffer.back() = '\0'; // a name that filled its buffer still ends inside it
        names.emplace_back(buffer.data());
    }
    return DEVICE_LIST_OK;
}
