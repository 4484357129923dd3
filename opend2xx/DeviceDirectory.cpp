#include "opend2xx/DeviceDirectory.h"

#include <algorithm>

#include <ftdi.h>
#include <libusb.h>

#include "link/D2xxTypes.h"
#include "opend2xx/UsbConstants.h"

namespace opend2xx {

namespace {

std::string StringDescriptor(libusb_device_handle* handle, std::uint8_t index)
{
    // Index 0 means the device has no such string.
    if (index == 0)
        return "";
    unsigned char text[IDENTITY_TEXT_SIZE] = {};
    const int length = libusb_get_string_descriptor_ascii(handle, index, text, sizeof text);
    if (length <= 0)
        return "";
    return std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
}

// The ids come from the descriptor libusb already holds; the strings cost control transfers
// on the device, so they are read only when asked for. A device the user may not open (no
// udev rule yet) still shows, with empty texts, as the vendor's driver shows a device it
// cannot query.
DeviceIdentity ReadIdentity(libusb_device* device, bool withTexts)
{
    DeviceIdentity identity;
    libusb_device_descriptor descriptor{};
    if (libusb_get_device_descriptor(device, &descriptor) != 0)
        return identity;
    identity.vendor = descriptor.idVendor;
    identity.product = descriptor.idProduct;
    if (!withTexts)
        return identity;
    libusb_device_handle* handle = nullptr;
    if (libusb_open(device, &handle) != 0)
        return identity;
    identity.serial = StringDescriptor(handle, descriptor.iSerialNumber);
    identity.description = StringDescriptor(handle, descriptor.iProduct);
    libusb_close(handle);
    return identity;
}

std::vector<int> Location(libusb_device* device)
{
    // USB allows at most 7 tiers of hubs below the root.
    constexpr int MAX_PORT_DEPTH = 7;
    std::uint8_t ports[MAX_PORT_DEPTH] = {};
    const int depth = libusb_get_port_numbers(device, ports, MAX_PORT_DEPTH);
    std::vector<int> location{libusb_get_bus_number(device)};
    for (int i = 0; i < depth; ++i)
        location.push_back(ports[i]);
    return location;
}

} // namespace

bool IsBoard(const DeviceIdentity& identity)
{
    return identity.vendor == FTDI_VENDOR_ID && identity.product == TVR_IO_PRODUCT_ID;
}

int FindByText(const std::vector<DeviceIdentity>& devices, const std::string& text, std::uint32_t flags)
{
    // Exactly one of the two ways must be named; the vendor's driver refuses the others.
    const bool bySerial = flags == FT_OPEN_BY_SERIAL_NUMBER;
    const bool byDescription = flags == FT_OPEN_BY_DESCRIPTION;
    if (!bySerial && !byDescription)
        return -1;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const std::string& field = bySerial ? devices[i].serial : devices[i].description;
        if (!field.empty() && field == text)
            return static_cast<int>(i);
    }
    return -1;
}

DeviceDirectory::DeviceDirectory(ftdi_context* ftdi, bool withTexts)
{
    // Vendor and product 0 ask libftdi for every product id of the chip maker it knows.
    const int found = ftdi_usb_find_all(ftdi, &list_, 0, 0);
    scanned_ = found >= 0;
    for (ftdi_device_list* entry = list_; entry; entry = entry->next)
        devices_.push_back(entry->dev);
    // libusb lists devices in the order the system happens to report them; device numbers
    // must not change between a listing and an open, nor between runs, so they follow where
    // the device is plugged in: bus, then the port path from the root hub.
    std::sort(devices_.begin(), devices_.end(), [](libusb_device* a, libusb_device* b) {
        return Location(a) < Location(b);
    });
    for (libusb_device* device : devices_)
        identities_.push_back(ReadIdentity(device, withTexts));
}

DeviceDirectory::~DeviceDirectory()
{
    ftdi_list_free(&list_);
}

std::vector<std::size_t> DeviceDirectory::Boards() const
{
    std::vector<std::size_t> boards;
    for (std::size_t i = 0; i < identities_.size(); ++i)
        if (IsBoard(identities_[i]))
            boards.push_back(i);
    return boards;
}

} // namespace opend2xx
