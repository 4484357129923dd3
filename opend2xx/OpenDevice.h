#pragma once
#include <cstdint>
#include <deque>

#include "link/D2xxTypes.h"

struct ftdi_context;
struct libusb_device;

namespace opend2xx {

// One device opened through libftdi, behind one D2XX handle. Reads and writes go to the
// bulk endpoints of libftdi's USB handle directly: libftdi's own read gives up what earlier
// packets of the same call brought when a later one fails, and its write hides how much of a
// timed-out write got through, and the D2XX calls must report both.
class OpenDevice {
public:
    OpenDevice() = default;
    ~OpenDevice();
    OpenDevice(const OpenDevice&) = delete;
    OpenDevice& operator=(const OpenDevice&) = delete;

    // Opens `device` (found through `ftdi`, which this object takes over) without resetting
    // the chip: detaches the kernel's serial driver, claims the interface, hands the handle to
    // libftdi and sets the event character. FT_DEVICE_NOT_OPENED when the device is busy or
    // the user may not open it.
    FT_STATUS Open(ftdi_context* ftdi, libusb_device* device);

    // Blocks until `count` bytes have come or the read time-out has run out; FT_OK with fewer
    // bytes in the second case, as the vendor's driver does.
    FT_STATUS Read(std::uint8_t* buffer, DWORD count, DWORD& received);
    // FT_OK with `written` < `count` when the write time-out ran out first.
    FT_STATUS Write(const std::uint8_t* buffer, DWORD count, DWORD& written);
    FT_STATUS Purge(ULONG mask);
    FT_STATUS SetTimeouts(ULONG readMilliseconds, ULONG writeMilliseconds);
    // Bytes received and not yet read: what earlier reads brought beyond what they asked
    // for. The vendor's driver also counts bytes still in the chip; this library asks the
    // chip only when a read needs bytes, so that a status query never waits on the bus.
    FT_STATUS QueueStatus(DWORD& count);
    // Resets the chip (both FIFOs) and sets the event character again.
    FT_STATUS Reset();

private:
    // A failed transfer other than a time-out means the device has gone (or broke): every
    // later call says FT_IO_ERROR until the handle is closed, as with the vendor's driver.
    FT_STATUS Lost();
    // Asks the chip to send its buffer on the acknowledge's last byte; a refusal is ignored.
    void SetEventCharacter();
    // One IN transfer of at most `milliseconds`; false when the device is gone.
    bool Poll(unsigned milliseconds);

    ftdi_context* ftdi_ = nullptr;
    bool lost_ = false;
    std::deque<std::uint8_t> received_;
    // The driver's defaults after opening: 0, which for a read means "poll once" (the vendor's
    // driver would wait for ever) and for a write "no limit".
    unsigned readTimeout_ = 0;
    unsigned writeTimeout_ = 0;
};

} // namespace opend2xx
