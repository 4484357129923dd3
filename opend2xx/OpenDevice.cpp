#include "opend2xx/OpenDevice.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include <ftdi.h>
#include <libusb.h>

#include "opend2xx/PacketFraming.h"
#include "opend2xx/UsbConstants.h"

namespace opend2xx {

namespace {

using Clock = std::chrono::steady_clock;

// wMaxPacketSize of the endpoint `address` in the active configuration; the full-speed size
// when the descriptor cannot be read.
unsigned BulkPacketSize(libusb_device* device, unsigned char address)
{
    libusb_config_descriptor* configuration = nullptr;
    if (libusb_get_active_config_descriptor(device, &configuration) != 0)
        return FULL_SPEED_PACKET_SIZE;
    unsigned size = FULL_SPEED_PACKET_SIZE;
    for (int i = 0; i < configuration->bNumInterfaces; ++i) {
        const libusb_interface& interface = configuration->interface[i];
        for (int k = 0; k < interface.num_altsetting; ++k) {
            const libusb_interface_descriptor& setting = interface.altsetting[k];
            for (int e = 0; e < setting.bNumEndpoints; ++e)
                if (setting.endpoint[e].bEndpointAddress == address && setting.endpoint[e].wMaxPacketSize)
                    size = setting.endpoint[e].wMaxPacketSize;
        }
    }
    libusb_free_config_descriptor(configuration);
    return size;
}

unsigned MillisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<unsigned>(left) : 0;
}

} // namespace

OpenDevice::~OpenDevice()
{
    if (!ftdi_)
        return;
    if (ftdi_->usb_dev)
        ftdi_usb_close(ftdi_);
    ftdi_free(ftdi_);
}

FT_STATUS OpenDevice::Open(ftdi_context* ftdi, libusb_device* device)
{
    ftdi_ = ftdi;
    // Not libftdi's open: it resets the chip, which empties its FIFO towards the board, and the
    // program closes and reopens the device between commands, so the last bytes of one
    // command (the version text a board is still taking) would be lost to the next open. As
    // the vendor's driver does, opening leaves the chip alone; FT_ResetDevice resets it.
    libusb_device_handle* handle = nullptr;
    if (libusb_open(device, &handle) != 0)
        return FT_DEVICE_NOT_OPENED;
    // ftdi_sio, if bound, lets go of the board; without it there is nothing to detach.
    libusb_detach_kernel_driver(handle, ftdi_->interface);
    if (libusb_claim_interface(handle, ftdi_->interface) != 0) {
        libusb_close(handle);
        return FT_DEVICE_NOT_OPENED;
    }
    ftdi_set_usbdev(ftdi_, handle);
    ftdi_->max_packet_size = BulkPacketSize(device, static_cast<unsigned char>(ftdi_->out_ep));
    SetEventCharacter();
    return FT_OK;
}

void OpenDevice::SetEventCharacter()
{
    // The chip sends what it holds as soon as this byte arrives from the board instead of at
    // its next latency tick. Whether the FT8U245AM honours the request is not documented; a
    // chip that refuses it keeps to its tick, so a failure changes nothing.
    ftdi_set_event_char(ftdi_, ACKNOWLEDGE_LAST_BYTE, 1);
}

FT_STATUS OpenDevice::Lost()
{
    lost_ = true;
    return FT_IO_ERROR;
}

bool OpenDevice::Poll(unsigned milliseconds)
{
    std::vector<std::uint8_t> transfer(IN_TRANSFER_SIZE);
    int length = 0;
    // libusb takes 0 as "no limit"; a poll always has one.
    const int result = libusb_bulk_transfer(ftdi_->usb_dev, static_cast<unsigned char>(ftdi_->out_ep),
                                            transfer.data(), IN_TRANSFER_SIZE, &length,
                                            std::max(milliseconds, 1u));
    // A time-out may still have brought packets before it: keep them.
    if (result != 0 && result != LIBUSB_ERROR_TIMEOUT)
        return false;
    const std::size_t packetSize = ftdi_->max_packet_size ? ftdi_->max_packet_size : FULL_SPEED_PACKET_SIZE;
    AppendPayload(transfer.data(), static_cast<std::size_t>(std::max(length, 0)), packetSize, received_);
    return true;
}

FT_STATUS OpenDevice::Read(std::uint8_t* buffer, DWORD count, DWORD& received)
{
    received = 0;
    if (lost_)
        return FT_IO_ERROR;
    if (count > 0 && !buffer)
        return FT_INVALID_PARAMETER;
    const unsigned timeout = readTimeout_ ? readTimeout_ : SINGLE_POLL_MS;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout);
    bool polled = false;
    while (received_.size() < count) {
        const unsigned left = MillisecondsUntil(deadline);
        if (left == 0 && polled)
            break;
        if (!Poll(left))
            return Lost();
        polled = true;
    }
    const std::size_t taken = std::min<std::size_t>(count, received_.size());
    std::copy_n(received_.begin(), taken, buffer);
    received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(taken));
    received = static_cast<DWORD>(taken);
    return FT_OK;
}

FT_STATUS OpenDevice::Write(const std::uint8_t* buffer, DWORD count, DWORD& written)
{
    written = 0;
    if (lost_)
        return FT_IO_ERROR;
    if (count == 0)
        return FT_OK;
    if (!buffer)
        return FT_INVALID_PARAMETER;
    int transferred = 0;
    // The buffer is only read; libusb's prototype serves both directions.
    const int result = libusb_bulk_transfer(ftdi_->usb_dev, static_cast<unsigned char>(ftdi_->in_ep),
                                            const_cast<std::uint8_t*>(buffer), static_cast<int>(count),
                                            &transferred, writeTimeout_);
    written = static_cast<DWORD>(std::max(transferred, 0));
    if (result == 0 || result == LIBUSB_ERROR_TIMEOUT)
        return FT_OK;
    return Lost();
}

FT_STATUS OpenDevice::Purge(ULONG mask)
{
    if (lost_)
        return FT_IO_ERROR;
    if (mask & FT_PURGE_RX) {
        received_.clear();
        if (ftdi_tciflush(ftdi_) < 0)
            return Lost();
    }
    if ((mask & FT_PURGE_TX) && ftdi_tcoflush(ftdi_) < 0)
        return Lost();
    return FT_OK;
}

FT_STATUS OpenDevice::SetTimeouts(ULONG readMilliseconds, ULONG writeMilliseconds)
{
    if (lost_)
        return FT_IO_ERROR;
    readTimeout_ = readMilliseconds;
    writeTimeout_ = writeMilliseconds;
    return FT_OK;
}

FT_STATUS OpenDevice::QueueStatus(DWORD& count)
{
    count = 0;
    if (lost_)
        return FT_IO_ERROR;
    count = static_cast<DWORD>(received_.size());
    return FT_OK;
}

FT_STATUS OpenDevice::Reset()
{
    if (lost_)
        return FT_IO_ERROR;
    received_.clear();
    if (ftdi_usb_reset(ftdi_) < 0)
        return Lost();
    // The reset cleared the event character too.
    SetEventCharacter();
    return FT_OK;
}

} // namespace opend2xx
