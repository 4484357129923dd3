#include "link/DeviceSelection.h"

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

    // Every entry but the last gets its buffer, whatever the count said: the driver fills
    // one buffer per device attached when it answers, which may be more than were counted.
    std::array<std::array<char, FT_LIST_BUFFER_SIZE>, MAX_LISTED_DEVICES> buffers{};
    std::array<char*, MAX_LISTED_DEVICES + 1> list{};
    for (int index = 0; index < MAX_LISTED_DEVICES; ++index)
        list[index] = buffers[index].data();
    list[MAX_LISTED_DEVICES] = nullptr;

    const DWORD flags = FT_LIST_ALL | (openMethod == OPEN_BY_DESCRIPTION ? FT_OPEN_BY_DESCRIPTION
                                                                         : FT_OPEN_BY_SERIAL_NUMBER);
    count = counted;
    if (driver.ListDevices(list.data(), &count, flags) != FT_OK)
        return DEVICE_LIST_FAILED;
    const DWORD listed = count < DWORD{MAX_LISTED_DEVICES} ? count : DWORD{MAX_LISTED_DEVICES};
    for (DWORD index = 0; index < listed; ++index) {
        auto& buffer = buffers[index];
        buffer.back() = '\0'; // a name that filled its buffer still ends inside it
        names.emplace_back(buffer.data());
    }
    return DEVICE_LIST_OK;
}
