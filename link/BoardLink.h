#pragma once
#include <cstdint>

#include "link/D2xxTypes.h"

class D2xxBinding;
class LinkHost;
class MessageSink;

// Results of SendCommand besides 0 and the failing D2XX status or open refusal it passes on.
inline constexpr int SEND_WRONG_ACK = 4;

// The command exchange with the download microcontroller over the driver binding: every
// board operation starts with SendCommand, and every link failure ends in MarkNotConnected.
class BoardLink {
public:
    BoardLink(D2xxBinding& driver, LinkHost& host, MessageSink& messages);

    // Sends a command word and reads its acknowledge. With openFirst the chosen device is
    // closed and reopened, its receive queue purged and 1000 ms time-outs set. 0 when
    // acknowledged; SEND_WRONG_ACK when the answer was another value or came short (the device
    // stays open); otherwise the open result or failing D2XX status (the device is closed).
    int SendCommand(std::uint16_t word, bool openFirst);
    void MarkNotConnected();

    // The data phase: nibble bytes as they are, through the binding.
    FT_STATUS Write(const std::uint8_t* bytes, DWORD count);
    // True when the driver took every byte. Its write time-out can end a write early with
    // FT_OK and fewer bytes written, which leaves the board waiting in the middle of a unit.
    bool WriteAll(const std::uint8_t* bytes, DWORD count);
    FT_STATUS Read(std::uint8_t* bytes, DWORD count, DWORD& received);

    D2xxBinding& Driver() { return driver_; }
    LinkHost& Host() { return host_; }
    MessageSink& Messages() { return messages_; }

private:
    D2xxBinding& driver_;
    LinkHost& host_;
    MessageSink& messages_;
};
