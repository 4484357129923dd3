#include "usbtestbed/UsbDeviceHandler.h"

#include <fcntl.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <future>

#include <glib-unix.h>

#include "usbtestbed/UsbConstants.h"

namespace usbtestbed {

namespace {

// What libusb may rely on: one URB for any length, reaping after a disconnect.
constexpr std::uint32_t CAPABILITIES = USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                                       USBDEVFS_CAP_REAP_AFTER_DISCONNECT;
constexpr char KERNEL_DRIVER[] = "ftdi_sio";

usbdevfs_urb& Fields(UMockdevIoctlData* urb)
{
    return *reinterpret_cast<usbdevfs_urb*>(urb->data);
}

// The memory an ioctl argument points to, copied from the client; null on failure.
UMockdevIoctlData* Resolve(UMockdevIoctlData* data, std::size_t offset, std::size_t length)
{
    GError* error = nullptr;
    UMockdevIoctlData* resolved = umockdev_ioctl_data_resolve(data, offset, length, &error);
    if (error)
        g_error_free(error);
    return resolved;
}

} // namespace

UsbDeviceHandler::UsbDeviceHandler(UsbBoard& board, TransferCounts& counts, std::function<void()> onGone)
    : board_(board), counts_(counts), onGone_(std::move(onGone)), base_(umockdev_ioctl_base_new())
{
    g_signal_connect(base_, "handle-ioctl", G_CALLBACK(&UsbDeviceHandler::OnIoctl), this);
    g_signal_connect(base_, "client-vanished", G_CALLBACK(&UsbDeviceHandler::OnVanished), this);
}

UsbDeviceHandler::~UsbDeviceHandler()
{
    g_signal_handlers_disconnect_by_data(base_, this);
    if (timer_) {
        g_source_destroy(timer_);
        g_source_unref(timer_);
    }
    if (timerFd_ >= 0)
        ::close(timerFd_);
    for (Urb& urb : urbs_)
        Release(urb);
    g_object_unref(base_);
    if (wakeUp_ >= 0)
        ::close(wakeUp_);
}

bool UsbDeviceHandler::UseWakeUp(const std::string& node, std::string& error)
{
    // One page: a single byte in it leaves no room, and poll() then reports no POLLOUT.
    constexpr int kOnePage = 4096;
    if ((::unlink(node.c_str()) != 0 && errno != ENOENT) || ::mkfifo(node.c_str(), 0666) != 0 ||
        (wakeUp_ = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC)) < 0 ||
        ::fcntl(wakeUp_, F_SETPIPE_SZ, kOnePage) < 0) {
        error = "cannot make " + node + " a named pipe: " + std::strerror(errno);
        return false;
    }
    if ((timerFd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)) < 0) {
        error = std::string("cannot make a timer: ") + std::strerror(errno);
        return false;
    }
    Update();
    return true;
}

void UsbDeviceHandler::Finish()
{
    auto finish = [this] {
        itimerspec never{};
        if (timerFd_ >= 0)
            ::timerfd_settime(timerFd_, TFD_TIMER_ABSTIME, &never, nullptr);
        board_.Drain();
        board_.Model().SaveState();
    };
    if (!timer_)
        return finish(); // no request ever reached the worker thread for this device
    struct Call {
        std::function<void()> work;
        std::promise<void> done;
    } call{finish, {}};
    g_main_context_invoke(
        g_source_get_context(timer_),
        [](gpointer data) {
            auto& call = *static_cast<Call*>(data);
            call.work();
            call.done.set_value();
            return G_SOURCE_REMOVE;
        },
        &call);
    call.done.get_future().wait();
}

gboolean UsbDeviceHandler::OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self)
{
    auto& handler = *static_cast<UsbDeviceHandler*>(self);
    if (!handler.timer_ && handler.timerFd_ >= 0) {
        // Requests come on umockdev's worker thread, whose main context is its default. A
        // timerfd, not a GLib timeout: those wake to the millisecond, late.
        handler.timer_ = g_unix_fd_source_new(handler.timerFd_, G_IO_IN);
        g_source_set_callback(handler.timer_, G_SOURCE_FUNC(&UsbDeviceHandler::OnTimer), self,
                              nullptr);
        g_source_attach(handler.timer_, g_main_context_get_thread_default());
    }
    handler.Handle(client);
    handler.Update();
    return TRUE;
}

gboolean UsbDeviceHandler::OnTimer(gint, GIOCondition, gpointer self)
{
    auto& handler = *static_cast<UsbDeviceHandler*>(self);
    std::uint64_t expirations = 0;
    if (::read(handler.timerFd_, &expirations, sizeof expirations) < 0 && errno != EAGAIN)
        return G_SOURCE_REMOVE;
    handler.CheckGone();
    handler.Update();
    return G_SOURCE_CONTINUE;
}

void UsbDeviceHandler::Update()
{
    bool reapable = gone_;
    bool inWaiting = false;
    bool waiting = false;
    for (Urb& urb : urbs_) {
        const bool ended = Progress(urb);
        reapable = reapable || ended;
        waiting = waiting || !ended;
        inWaiting = inWaiting || (!ended && !urb.out);
    }
    if (wakeUp_ >= 0 && reapable != ready_) {
        std::uint8_t byte = 0;
        if (reapable)
            while (::read(wakeUp_, &byte, 1) > 0) {
            }
        else if (::write(wakeUp_, &byte, 1) != 1)
            reapable = true; // the pipe would not take it: poll() stays ready
        ready_ = reapable;
    }
    if (timerFd_ < 0)
        return;
    // Absolute on CLOCK_MONOTONIC, the clock of steady_clock; all zero disarms the timer.
    itimerspec moment{};
    if (const std::optional<std::uint64_t> next = waiting ? board_.NextChangeUs(inWaiting) : std::nullopt) {
        const auto nanoseconds =
            std::chrono::duration_cast<std::chrono::nanoseconds>(board_.RealTime(*next).time_since_epoch()).count();
        moment.it_value.tv_sec = static_cast<time_t>(nanoseconds / 1000000000);
        moment.it_value.tv_nsec = static_cast<long>(nanoseconds % 1000000000);
    }
    ::timerfd_settime(timerFd_, TFD_TIMER_ABSTIME, &moment, nullptr);
}

void UsbDeviceHandler::OnVanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self)
{
    // The process closed the device or ended: its URBs and its claim go with it, and the
    // board keeps its chip as after FT_Close.
    auto& handler = *static_cast<UsbDeviceHandler*>(self);
    auto& urbs = handler.urbs_;
    for (Urb& urb : urbs) {
        if (urb.client != client)
            continue;
        if (urb.out)
            handler.board_.Cancel(urb.out);
        handler.Release(urb);
    }
    urbs.erase(std::remove_if(urbs.begin(), urbs.end(), [&](const Urb& urb) { return urb.client == client; }),
               urbs.end());
    if (handler.claimedBy_ == client)
        handler.claimedBy_ = nullptr;
    handler.board_.Model().SaveState();
    handler.Update();
}

void UsbDeviceHandler::Handle(UMockdevIoctlClient* client)
{
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* argument = umockdev_ioctl_client_get_arg(client);
    if (request == USBDEVFS_SUBMITURB && !gone_)
        return Submit(client, argument);
    if (request == USBDEVFS_REAPURBNDELAY || request == USBDEVFS_REAPURB)
        return Reap(client, argument);
    if (request == USBDEVFS_DISCARDURB)
        return Discard(client, argument);
    if (gone_)
        return umockdev_ioctl_client_complete(client, -1, ENODEV);

    const std::size_t size = _IOC_SIZE(request);
    UMockdevIoctlData* data = size ? Resolve(argument, 0, size) : nullptr;
    long result = 0;
    int error = 0;
    if (request == USBDEVFS_GET_CAPABILITIES && data) {
        std::memcpy(data->data, &CAPABILITIES, sizeof CAPABILITIES);
    } else if (request == USBDEVFS_GETDRIVER && data) {
        auto& query = *reinterpret_cast<usbdevfs_getdriver*>(data->data);
        if (kernelDriverBound_)
            std::strcpy(query.driver, KERNEL_DRIVER);
        else
            result = -1, error = ENODATA;
    } else if (request == USBDEVFS_IOCTL && data) {
        // libftdi detaches the serial driver before it claims the interface.
        const auto& command = *reinterpret_cast<usbdevfs_ioctl*>(data->data);
        if (command.ioctl_code == static_cast<int>(USBDEVFS_DISCONNECT) && kernelDriverBound_)
            kernelDriverBound_ = false;
        else if (command.ioctl_code == static_cast<int>(USBDEVFS_CONNECT))
            kernelDriverBound_ = true;
        else
            result = -1, error = ENODATA;
    } else if (request == USBDEVFS_CLAIMINTERFACE) {
        if (claimedBy_ && claimedBy_ != client) {
            result = -1, error = EBUSY;
        } else {
            claimedBy_ = client;
            board_.Claimed();
        }
    } else if (request == USBDEVFS_RELEASEINTERFACE) {
        if (claimedBy_ == client)
            claimedBy_ = nullptr;
    } else if (request == USBDEVFS_RESET || request == USBDEVFS_CLEAR_HALT || request == USBDEVFS_SETINTERFACE ||
               request == USBDEVFS_SETCONFIGURATION) {
        // Nothing to do for a FIFO chip with one configuration and one interface.
    } else {
        result = -1, error = ENOTTY;
    }
    umockdev_ioctl_client_complete(client, result, error);
    if (data)
        g_object_unref(data);
}

void UsbDeviceHandler::Submit(UMockdevIoctlClient* client, UMockdevIoctlData* argument)
{
    UMockdevIoctlData* urbData = Resolve(argument, 0, sizeof(usbdevfs_urb));
    if (!urbData)
        return umockdev_ioctl_client_complete(client, -1, EFAULT);
    usbdevfs_urb& fields = Fields(urbData);
    const auto length = static_cast<std::size_t>(std::max(fields.buffer_length, 0));
    UMockdevIoctlData* buffer = length ? Resolve(urbData, offsetof(usbdevfs_urb, buffer), length) : nullptr;
    Urb urb{client, urbData, buffer, false, 0, nullptr};
    const bool control = fields.type == USBDEVFS_URB_TYPE_CONTROL;
    const bool bulk = fields.type == USBDEVFS_URB_TYPE_BULK;
    if ((!control && !bulk) || (control && length < SETUP_SIZE) || (length && !buffer)) {
        Release(urb);
        return umockdev_ioctl_client_complete(client, -1, EINVAL);
    }
    fields.actual_length = 0;
    if (control) {
        ++counts_.control;
        std::vector<std::uint8_t> answer;
        End(urb, 0);
        if (!board_.Control(buffer->data, answer)) {
            End(urb, -EPIPE); // a stalled request
        } else if (buffer->data[0] & REQUEST_TYPE_DIRECTION_IN) {
            const std::size_t copied = std::min(answer.size(), length - SETUP_SIZE);
            std::memcpy(buffer->data + SETUP_SIZE, answer.data(), copied);
            fields.actual_length = static_cast<int>(copied);
        } else {
            fields.actual_length = static_cast<int>(length - SETUP_SIZE);
        }
    } else if (!(fields.endpoint & ENDPOINT_DIRECTION_IN)) {
        ++counts_.bulkOut;
        urb.out = board_.BulkOut(buffer ? buffer->data : nullptr, length);
    } else {
        ++counts_.bulkIn;
    }
    urbs_.push_back(urb);
    umockdev_ioctl_client_complete(client, 0, 0);
    CheckGone();
}

void UsbDeviceHandler::End(Urb& urb, int status)
{
    urb.done = true;
    Fields(urb.urb).status = status;
}

bool UsbDeviceHandler::Progress(Urb& urb)
{
    // A transfer the chip had finished before the unplug keeps its outcome (the board took
    // the bytes, then vanished); one still waiting is killed with the device.
    if (urb.done)
        return true;
    usbdevfs_urb& fields = Fields(urb.urb);
    if (gone_) {
        fields.actual_length = urb.out ? static_cast<int>(urb.out->moved) : 0;
        End(urb, -ESHUTDOWN);
        return true;
    }
    if (urb.out) {
        board_.Advance();
        fields.actual_length = static_cast<int>(urb.out->moved);
        if (!urb.out->Finished())
            return false;
    } else {
        const auto capacity = static_cast<std::size_t>(std::max(fields.buffer_length, 0));
        const bool ended = board_.BulkIn(urb.buffer->data, capacity, urb.filled);
        fields.actual_length = static_cast<int>(urb.filled);
        if (!ended)
            return false;
    }
    End(urb, 0);
    return true;
}

void UsbDeviceHandler::Reap(UMockdevIoctlClient* client, UMockdevIoctlData* argument)
{
    UMockdevIoctlData* slot = Resolve(argument, 0, sizeof(void*));
    if (!slot)
        return umockdev_ioctl_client_complete(client, -1, EFAULT);
    for (auto it = urbs_.begin(); it != urbs_.end(); ++it) {
        if (it->client != client || !Progress(*it))
            continue;
        umockdev_ioctl_data_set_ptr(slot, 0, it->urb);
        umockdev_ioctl_client_complete(client, 0, 0);
        Release(*it);
        urbs_.erase(it);
        g_object_unref(slot);
        return;
    }
    // Nothing to reap: at once, never blocking, as REAPURBNDELAY promises.
    umockdev_ioctl_client_complete(client, -1, gone_ ? ENODEV : EAGAIN);
    g_object_unref(slot);
}

void UsbDeviceHandler::Discard(UMockdevIoctlClient* client, UMockdevIoctlData* argument)
{
    // The argument is the client's address of the URB itself.
    unsigned long address = 0;
    std::memcpy(&address, argument->data, std::min<std::size_t>(sizeof address, static_cast<std::size_t>(argument->data_len)));
    for (Urb& urb : urbs_) {
        if (urb.client == client && urb.urb->client_addr == address && !urb.done) {
            // A cancelled transfer is reaped with -ENOENT, with the packets it had already
            // taken from the chip or put into it.
            if (urb.out)
                board_.Cancel(urb.out);
            Fields(urb.urb).actual_length = static_cast<int>(urb.out ? urb.out->moved : urb.filled);
            End(urb, -ENOENT);
            return umockdev_ioctl_client_complete(client, 0, 0);
        }
    }
    umockdev_ioctl_client_complete(client, -1, EINVAL);
}

void UsbDeviceHandler::Release(Urb& urb)
{
    if (urb.buffer)
        g_object_unref(urb.buffer);
    if (urb.urb)
        g_object_unref(urb.urb);
    urb.buffer = nullptr;
    urb.urb = nullptr;
}

void UsbDeviceHandler::CheckGone()
{
    if (gone_ || !board_.Gone())
        return;
    gone_ = true;
    if (onGone_)
        onGone_();
}

} // namespace usbtestbed
