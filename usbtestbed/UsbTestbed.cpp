#include "usbtestbed/UsbTestbed.h"

#include <cstdio>

#include "emulator/Configuration.h"
#include "emulator/Fault.h"

namespace usbtestbed {

namespace {

// Boards sit on bus 1 behind the root hub, device numbers from 2 on, as on a desk.
constexpr int BUS_NUMBER = 1;
constexpr int FIRST_DEVICE_NUMBER = 2;

std::string Hex(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    char digits[3];
    for (const std::uint8_t byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", byte);
        text += digits;
    }
    return text;
}

std::string NodeName(int position)
{
    char name[32];
    std::snprintf(name, sizeof name, "bus/usb/%03d/%03d", BUS_NUMBER, FIRST_DEVICE_NUMBER + position);
    return name;
}

std::string SysPath(int position)
{
    return "/sys/devices/pci0000:00/0000:00:14.0/usb" + std::to_string(BUS_NUMBER) + "/" +
           std::to_string(BUS_NUMBER) + "-" + std::to_string(position + 1);
}

} // namespace

std::string UsbTestbed::DeviceRecord(int position, const UsbBoard& board)
{
    std::vector<std::uint8_t> descriptors = board.DeviceDescriptor();
    const std::vector<std::uint8_t> configuration = board.ConfigurationDescriptor();
    descriptors.insert(descriptors.end(), configuration.begin(), configuration.end());
    const std::string node = NodeName(position);
    const std::string devnum = std::to_string(FIRST_DEVICE_NUMBER + position);
    // Attribute values carry the newline sysfs ends them with, written as \n in the record.
    return "P: " + SysPath(position).substr(4) + "\n" +
           "N: " + node + "\n" +
           "E: DEVNAME=/dev/" + node + "\n" +
           "E: DEVTYPE=usb_device\n"
           "E: DRIVER=usb\n"
           "E: SUBSYSTEM=usb\n"
           "E: BUSNUM=00" + std::to_string(BUS_NUMBER) + "\n" +
           "E: DEVNUM=" + node.substr(node.size() - 3) + "\n" +
           "A: busnum=" + std::to_string(BUS_NUMBER) + "\\n\n" +
           "A: devnum=" + devnum + "\\n\n" +
           "A: speed=12\\n\n"
           "A: bConfigurationValue=1\\n\n"
           "A: bNumConfigurations=1\\n\n"
           "A: idVendor=0403\\n\n"
           "A: idProduct=6001\\n\n"
           "A: bcdDevice=0200\\n\n"
           "A: manufacturer=FTDI\\n\n"
           "A: product=" + board.Description() + "\\n\n" +
           // The kernel has no serial attribute for a device without a serial number string.
           (board.Serial().empty() ? std::string() : "A: serial=" + board.Serial() + "\\n\n") +
           "H: descriptors=" + Hex(descriptors) + "\n";
}

bool UsbTestbed::Start(const std::string& configuration, std::string& error)
{
    emulator::BusSettings settings;
    if (const int line = emulator::ParseConfiguration(configuration, settings, error); line != 0) {
        error = "line " + std::to_string(line) + ": " + error;
        return false;
    }
    for (const emulator::FaultLine& line : settings.faults) {
        emulator::Fault fault;
        if (!emulator::ParseFault(line.text, line.board, fault, error)) {
            error = "line " + std::to_string(line.line) + ": " + error;
            return false;
        }
        faults_.Add(fault);
    }
    clock_.SetScale(settings.timeScale.value_or(1.0));
    testbed_ = umockdev_testbed_new();
    for (std::size_t i = 0; i < settings.boards.size(); ++i) {
        const int position = static_cast<int>(i);
        Device device;
        device.board = std::make_unique<emulator::Board>(position, settings.boards[i], faults_);
        std::string stateError;
        if (!device.board->LoadState(stateError))
            std::fprintf(stderr, "quillet-usb-testbed: %s; board %s starts as configured\n", stateError.c_str(),
                         device.board->Serial().c_str());
        device.usb = std::make_unique<UsbBoard>(*device.board, clock_, counts_,
                                                 settings.eventCharacterHonoured.value_or(false));
        device.syspath = SysPath(position);
        // A board configured as not attached is not on the bus.
        if (!device.board->Attached()) {
            devices_.push_back(std::move(device));
            continue;
        }
        GError* failure = nullptr;
        if (!umockdev_testbed_add_from_string(testbed_, DeviceRecord(position, *device.usb).c_str(), &failure)) {
            error = failure ? failure->message : "cannot add a device";
            if (failure)
                g_error_free(failure);
            return false;
        }
        UMockdevTestbed* testbed = testbed_;
        const std::string syspath = device.syspath;
        device.handler = std::make_unique<UsbDeviceHandler>(*device.usb, counts_, [testbed, syspath] {
            // The kernel tells user space a device has gone with a "remove" uevent.
            umockdev_testbed_uevent(testbed, syspath.c_str(), "remove");
        });
        if (!umockdev_testbed_attach_ioctl(testbed_, ("/dev/" + NodeName(position)).c_str(), device.handler->Base(),
                                           &failure)) {
            error = failure ? failure->message : "cannot attach the device's handler";
            if (failure)
                g_error_free(failure);
            return false;
        }
        const std::string node = std::string(umockdev_testbed_get_root_dir(testbed_)) + "/dev/" + NodeName(position);
        if (!device.handler->UseWakeUp(node, error))
            return false;
        devices_.push_back(std::move(device));
    }
    return true;
}

UsbTestbed::~UsbTestbed()
{
    // What a board still had to take from its FIFO, it takes before its state is kept.
    for (Device& device : devices_)
        if (device.handler)
            device.handler->Finish();
    // The test bed first, so that no request reaches a handler being destroyed.
    if (testbed_)
        g_object_unref(testbed_);
    devices_.clear();
}

} // namespace usbtestbed
