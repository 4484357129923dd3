#pragma once
#include <memory>
#include <string>
#include <vector>

#include <umockdev.h>

#include "emulator/Board.h"
#include "emulator/Clock.h"
#include "emulator/FaultSet.h"
#include "usbtestbed/TransferCounts.h"
#include "usbtestbed/UsbBoard.h"
#include "usbtestbed/UsbDeviceHandler.h"

namespace usbtestbed {

// A umockdev test bed holding one emulated FT8U245AM per board of an emulator configuration
// (the standard two without one): sysfs entries with the device's descriptors for libusb's
// enumeration, and a device node whose usbdevfs requests UsbDeviceHandler answers from the
// board model. Processes started afterwards under umockdev's preload library see the boards
// as USB devices and nothing of the machine's real ones.
class UsbTestbed {
public:
    UsbTestbed() = default;
    ~UsbTestbed();
    UsbTestbed(const UsbTestbed&) = delete;
    UsbTestbed& operator=(const UsbTestbed&) = delete;

    // Builds the boards from configuration text (the emulator's format; "" is the standard
    // bus) and puts them on the bus. False with `error` saying why.
    bool Start(const std::string& configuration, std::string& error);

    const TransferCounts& Counts() const { return counts_; }

    // The umockdev record of a board: its sysfs attributes, device node and descriptors.
    static std::string DeviceRecord(int position, const UsbBoard& board);

private:
    struct Device {
        std::unique_ptr<emulator::Board> board;
        std::unique_ptr<UsbBoard> usb;
        std::unique_ptr<UsbDeviceHandler> handler;
        std::string syspath;
    };

    UMockdevTestbed* testbed_ = nullptr;
    emulator::Clock clock_;
    emulator::FaultSet faults_;
    TransferCounts counts_;
    std::vector<Device> devices_;
};

} // namespace usbtestbed
