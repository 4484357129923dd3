#pragma once
#include <atomic>
#include <string>

namespace usbtestbed {

// The USB transfers the host asked of the boards, counted as the URBs it submitted.
struct TransferCounts {
    std::atomic<unsigned> control{0};
    std::atomic<unsigned> bulkOut{0};
    std::atomic<unsigned> bulkIn{0};
    // Bulk IN transfers that came back with the status bytes alone: the host asked while the
    // board had nothing to say.
    std::atomic<unsigned> emptyIn{0};
    // Chip resets (SIO_RESET with value 0), and event character requests, taken or stalled.
    std::atomic<unsigned> chipResets{0};
    std::atomic<unsigned> eventCharacter{0};

    // "control=N bulk-out=N bulk-in=N empty-in=N reset=N event-char=N"
    std::string Text() const
    {
        return "control=" + std::to_string(control) + " bulk-out=" + std::to_string(bulkOut) +
               " bulk-in=" + std::to_string(bulkIn) + " empty-in=" + std::to_string(emptyIn) +
               " reset=" + std::to_string(chipResets) + " event-char=" + std::to_string(eventCharacter);
    }
};

} // namespace usbtestbed
