#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
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
//
// The wake-up: usbfs tells poll() there is an URB to reap with POLLOUT, and libusb sleeps on
// that. umockdev's device node is a plain file, always ready, so libusb would ask again and
// again; as a named pipe of one page that the handler keeps full (not writable) while
// nothing can be reaped, it sleeps as on a real device. A timer on umockdev's worker thread
// moves the URBs on when the board's next change is due.
class UsbDeviceHandler {
public:
    UsbDeviceHandler(UsbBoard& board, TransferCounts& counts, std::function<void()> onGone);
    ~UsbDeviceHandler();
    UsbDeviceHandler(const UsbDeviceHandler&) = delete;
    UsbDeviceHandler& operator=(const UsbDeviceHandler&) = delete;

    UMockdevIoctlBase* Base() const { return base_; }

    // Makes `node` (the device node umockdev created) the named pipe of the wake-up. False
    // with `error` saying why.
    bool UseWakeUp(const std::string& node, std::string& error);

    // The test bed is ending: the board takes what its FIFO still holds and keeps its state.
    // Runs on umockdev's worker thread when that has served the device, after whatever it
    // is doing for it, and waits for it; so call it before the test bed is let go.
    void Finish();

private:
    struct Urb {
        UMockdevIoctlClient* client;
        UMockdevIoctlData* urb;    // the client's struct usbdevfs_urb
        UMockdevIoctlData* buffer; // its buffer
        bool done = false;         // ended, with its status and length filled in
        std::size_t filled = 0;    // bytes of an IN transfer's packets so far
        std::shared_ptr<UsbBoard::OutTransfer> out; // an OUT transfer entering the chip
    };

    static gboolean OnIoctl(UMockdevIoctlBase* base, UMockdevIoctlClient* client, gpointer self);
    static void OnVanished(UMockdevIoctlBase* base, UMockdevIoctlClient* client, gpointer self);
    static gboolean OnTimer(gint fd, GIOCondition condition, gpointer self);

    void Handle(UMockdevIoctlClient* client);
    void Submit(UMockdevIoctlClient* client, UMockdevIoctlData* argument);
    void Reap(UMockdevIoctlClient* client, UMockdevIoctlData* argument);
    void Discard(UMockdevIoctlClient* client, UMockdevIoctlData* argument);
    // Moves an URB on as far as the board allows now; true once it has ended, with its
    // outcome filled in.
    bool Progress(Urb& urb);
    void End(Urb& urb, int status);
    void Release(Urb& urb);
    void CheckGone();
    // After every request and timer: URBs moved on, the pipe and the timer set to match.
    void Update();

    UsbBoard& board_;
    TransferCounts& counts_;
    std::function<void()> onGone_;
    UMockdevIoctlBase* base_;
    std::vector<Urb> urbs_;
    UMockdevIoctlClient* claimedBy_ = nullptr;
    bool kernelDriverBound_ = true; // ftdi_sio, until libftdi detaches it
    bool gone_ = false;
    int wakeUp_ = -1;     // the pipe, opened for reading and writing
    bool ready_ = true;   // the pipe is empty: poll() reports POLLOUT
    int timerFd_ = -1;    // when the board's next change is due
    GSource* timer_ = nullptr;
};

} // namespace usbtestbed
