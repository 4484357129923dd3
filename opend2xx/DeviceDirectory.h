#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct ftdi_context;
struct ftdi_device_list;
struct libusb_device;

namespace opend2xx {

// What the directory knows of one FTDI device on the bus.
struct DeviceIdentity {
    int vendor = 0;
    int product = 0;
    std::string serial;      // empty when the device has none or could not be asked
    std::string description; // the product string
};

// Which devices count as boards: listed, counted and opened by number.
bool IsBoard(const DeviceIdentity& identity);

// The position in `devices` of the first one whose serial number (FT_OPEN_BY_SERIAL_NUMBER) or
// description (FT_OPEN_BY_DESCRIPTION) is exactly `text`, or -1. Any FTDI device may be opened
// by name, not only a board: a user who names a device means that one.
int FindByText(const std::vector<DeviceIdentity>& devices, const std::string& text, std::uint32_t flags);

// One look at the bus: every device of FTDI's own product ids, ordered by where it is plugged
// in, with (when `withTexts`) the serial number and description read from its string
// descriptors. The devices stay referenced while the directory lives, so that one of them
// can be opened.
class DeviceDirectory {
public:
    DeviceDirectory(ftdi_context* ftdi, bool withTexts);
    ~DeviceDirectory();
    DeviceDirectory(const DeviceDirectory&) = delete;
    DeviceDirectory& operator=(const DeviceDirectory&) = delete;

    // False when libusb could not list the bus at all.
    bool Scanned() const { return scanned_; }
    const std::vector<DeviceIdentity>& Identities() const { return identities_; }
    libusb_device* Device(std::size_t index) const { return devices_[index]; }

    // The positions of the boards, in bus order: board number n is Identities()[Boards()[n]].
    std::vector<std::size_t> Boards() const;

private:
    bool scanned_ = false;
    ftdi_device_list* list_ = nullptr;
    std::vector<libusb_device*> devices_;
    std::vector<DeviceIdentity> identities_;
};

} // namespace opend2xx
