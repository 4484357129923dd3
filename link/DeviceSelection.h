#pragma once
// Choosing and opening the board: by USB serial number, by USB description, or by the
// driver's device number; and listing what is attached for the Target Select Dialog.
#include <string>
#include <vector>

#include "link/D2xxTypes.h"

class D2xxBinding;
class LinkHost;
class MessageSink;

inline constexpr int OPEN_BY_SERIAL_NUMBER = 0;
inline constexpr int OPEN_BY_DESCRIPTION = 1;
inline constexpr int OPEN_BY_DEVICE_NUMBER = 2;

// OpenSelectedDevice's result when it refused the search text before any driver call.
inline constexpr int OPEN_REFUSED = 2;
// The highest device number the program opens.
inline constexpr int MAX_DEVICE_NUMBER = 64;
// The window's device list holds 63 devices.
inline constexpr int MAX_LISTED_DEVICES = 63;
// Entries of the driver's name table beyond the boards counted just before listing them.
inline constexpr int SPARE_LIST_ENTRIES = 16;

// Closes whatever was open and opens the chosen board. 0 when open; OPEN_REFUSED after a
// message; otherwise the status of the driver's open call (1 when it is missing).
int OpenSelectedDevice(D2xxBinding& driver, LinkHost& host, MessageSink& messages);

// The device number a search text names, or -1 when it is refused: "" is 0; one or two
// characters are read as a decimal number (leading blanks, a sign, then digits; 0 without
// digits) that must lie in 0 to 64; longer texts are refused.
int DeviceNumberOf(const std::string& searchText);

// The number of attached devices; the D2XX status of the count query.
FT_STATUS CountDevices(D2xxBinding& driver, DWORD& count);

enum DeviceListResult : int {
    DEVICE_LIST_OK = 0,
    DEVICE_LIST_COUNT_FAILED = 1, // the count query before the list failed
    DEVICE_LIST_FAILED = 2,       // the list query failed
};

// The serial numbers (OPEN_BY_SERIAL_NUMBER) or descriptions (OPEN_BY_DESCRIPTION) of the
// attached devices, at most MAX_LISTED_DEVICES of them, and the count the driver reported.
// The table is sized from the count query just before, with SPARE_LIST_ENTRIES more, so a
// driver that writes one name per attached board stays inside it.
DeviceListResult ListDeviceNames(D2xxBinding& driver, int openMethod, DWORD& count,
                                 std::vector<std::string>& names);
