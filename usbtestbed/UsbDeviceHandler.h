#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <umockdev.h>

#include "usbtestbed/TransferCounts.h"
#include "usbtestbed/UsbBoard.h"

namespace usbtestbed {

// Answers the usbdevfs requests libusb sends to one emulated device node, on umockdev's
// worker thread: capabilities, the kernel driver query and detach, claiming the interface,
// and URBs, which are submitted at once and reaped when the board has answered them.
//
// An unplug (a fault of the board model) behaves as the kernel's: every request fails with
// ENODEV, the URBs in flight are reaped with -ESHUTDOWN, and `onGone` sends the "remove"
// uevent.
class UsbDeviceHandler {
public:
    UsbDeviceHandler(UsbBoard& board, TransferCounts& counts, std::function<void()> onGone);
    ~UsbDeviceHandler();
    UsbDeviceHandler(const UsbDeviceHandler&) = delete;
    UsbDeviceHandler& operator=(const UsbDeviceHandler&) = delete;

    UMockdevIoctlBase* Base() const { return base_; }

private:
    struct Urb {
        UMockdevIoctlClient* client;
        UMockdevIoctlData* urb;    // the client's struct usbdevfs_urb
        UMockdevIoctlData* buffer; // its buffer
        bool done = false;         // control transfers finish when submitted
        std::size_t filled = 0;    // bytes of an IN transfer's packets so far
        int status = 0;
        std::shared_ptr<UsbBoard::OutTransfer> out; // an OUT transfer entering the chip
    };

    static gboolean OnIoctl(UMockdevIoctlBase* base, UMockdevIoctlClient* client, gpointer self);
    static void OnVanished(UMockdevIoctlBase* base, UMockdevIoctlClient* client, gpointer self);

    void Handle(UMockdevIoctlClient* client);
    void Submit(UMockdevIoctlClient* client, UMockdevIoctlData* argument);
    void Reap(UMockdevIoctlClient* client, UMockdevIoctlData* argument);
    void Discard(UMockdevIoctlClient* client, UMockdevIoctlData* argument);
    // Fills in an URB's outcome; false while an IN transfer waits for the board.
    bool Complete(Urb& urb);
    void Release(Urb& urb);
    void CheckGone();

    UsbBoard& board_;
    TransferCounts& counts_;
    std::function<void()> onGone_;
    UMockdevIoctlBase* base_;
    std::vector<Urb> urbs_;
    UMockdevIoctlClient* claimedBy_ = nullptr;
    bool kernelDriverBound_ = true; // ftdi_sio, until libftdi detaches it
    bool gone_ = false;
};

} // namespace usbtestbed
