#include "link/Connection.h"

#include <array>
#include <cstdio>

#include "link/BoardLink.h"
#include "link/CommandSet.h"
#include "link/D2xxBinding.h"
#include "link/LinkHost.h"
#include "link/MessageSink.h"
#include "link/NibbleFraming.h"
#include "link/Pause.h"

namespace {

constexpr int kPingAnswerBytes = WORD_NIBBLES;
constexpr int kProcessorAnswerBytes = WORD_NIBBLES;
constexpr int kRevisionBytes = REVISION_TEXT_LENGTH * BYTE_NIBBLES; // 8
constexpr int kVersionBytes = VERSION_TEXT_LENGTH * BYTE_NIBBLES;   // 32
// The processor sits in bits 2-3 of the answer's third nibble byte (word bits 10-11).
constexpr int kProcessorNibble = 2;
constexpr std::uint8_t kProcessorBits = 0x0C;

void LoseLink(BoardLink& link)
{
    link.Driver().Close();
    link.MarkNotConnected();
}

} // namespace

int Ping(BoardLink& link)
{
    int result = link.SendCommand(CMD_PING, false);
    if (result != 0) {
        Pause(PAUSE_BETWEEN_PINGS_MS);
        result = link.SendCommand(CMD_PING, false);
        if (result != 0) {
            link.Messages().ShowMessage("Error 5");
            LoseLink(link);
            return result;
        }
    }
    std::array<std::uint8_t, kPingAnswerBytes> answer{};
    DWORD received = 0;
    if (link.Read(answer.data(), kPingAnswerBytes, received) != FT_OK) {
        link.Messages().ShowMessage("Read Error");
        LoseLink(link);
        return 1;
    }
    if (received != kPingAnswerBytes || DecodeWord(answer.data()) != PING_ANSWER) {
        LoseLink(link);
        return 1;
    }
    return 0;
}

std::string GetRevision(BoardLink& link)
{
    link.Driver().Purge(FT_PURGE_RX);
    if (link.Driver().SetTimeouts(TIMEOUT_REVISION_MS, TIMEOUT_REVISION_MS) != FT_OK)
        return "---";
    Pause(PAUSE_BEFORE_REQUEST_MS);
    if (link.SendCommand(CMD_GET_REVISION, false) != 0)
        return "---";
    std::array<std::uint8_t, kRevisionBytes> answer{};
    DWORD received = 0;
    if (link.Read(answer.data(), kRevisionBytes, received) != FT_OK || received != kRevisionBytes)
        return "---";
    const std::string revision = DecodeText(answer.data(), REVISION_TEXT_LENGTH);
    return revision.empty() ? "VER" : revision;
}

std::string GetVersion(BoardLink& link)
{
    link.Driver().Purge(FT_PURGE_RX);
    const bool timeoutsSet = link.Driver().SetTimeouts(TIMEOUT_COMMAND_MS, TIMEOUT_COMMAND_MS) == FT_OK;
    Pause(PAUSE_BEFORE_REQUEST_MS);
    if (!timeoutsSet || link.SendCommand(CMD_GET_VERSION, false) != 0) {
        link.Messages().ShowMessage("No response to request: Get Version");
        LoseLink(link);
        return "Error";
    }
    std::array<std::uint8_t, kVersionBytes> answer{};
    DWORD received = 0;
    if (link.Read(answer.data(), kVersionBytes, received) != FT_OK) {
        link.Messages().ShowMessage("Error reading version.");
        LoseLink(link);
        return "Error";
    }
    if (received != kVersionBytes) {
        LoseLink(link);
        char message[64];
        std::snprintf(message, sizeof message, "Error: Only %u of %d bytes returned.",
                      static_cast<unsigned>(received), kVersionBytes);
        link.Messages().ShowMessage(message);
        return "Error";
    }
    std::string version = DecodeText(answer.data(), VERSION_TEXT_LENGTH);
    if (version.empty())
        version = "NO VERSION";
    Pause(PAUSE_AFTER_VERSION_MS);
    return version;
}

int GetProcessorType(BoardLink& link)
{
    Pause(PAUSE_BEFORE_REQUEST_MS);
    if (link.SendCommand(CMD_GET_PROCESSOR, false) != 0) {
        link.Messages().ShowMessage("No response to request: Get Processor Type");
        LoseLink(link);
        return 0;
    }
    std::array<std::uint8_t, kProcessorAnswerBytes> answer{};
    DWORD received = 0;
    if (link.Read(answer.data(), kProcessorAnswerBytes, received) != FT_OK ||
        received != kProcessorAnswerBytes) {
        link.Messages().ShowMessage("Error reading processor type.");
        LoseLink(link);
        return 0;
    }
    const auto processor = static_cast<ProcessorAnswer>((answer[kProcessorNibble] & kProcessorBits) >> 2);
    if (processor == PROCESSOR_NONE)
        return 0;
    link.Host().TakeProcessorAnswer(processor);
    return 1;
}

int ConnectBoard(BoardLink& link)
{
    link.Driver().Close();
    int result = link.SendCommand(CMD_CONNECT, true);
    if (result != 0) {
        link.Driver().Close();
        Pause(PAUSE_BETWEEN_CONNECTS_MS);
        result = link.SendCommand(CMD_CONNECT, true);
    }
    if (result != 0) {
        link.Driver().Close();
        link.Host().ShowStatus("Failed to open. (CN)");
        return result;
    }
    if (Ping(link) != 0) {
        link.Driver().Close();
        link.Host().ShowStatus("Device not responding to ping.");
        return CONNECT_NO_PING;
    }
    // Once the board answered, the connection stands, whatever the requests below give.
    std::string revision = "V";
    revision += GetRevision(link);
    link.Host().ShowRevision(revision);
    link.Host().ShowStatus(GetVersion(link));
    if (GetProcessorType(link) == 0)
        GetProcessorType(link);
    return 0;
}

int DisconnectBoard(BoardLink& link)
{
    const int result = link.SendCommand(CMD_DISCONNECT, true);
    if (result != 0) {
        link.Driver().Close();
        link.Host().ShowStatus("No response to Disconnect.");
    }
    return result;
}

int WriteVersion(BoardLink& link, std::u16string_view versionText)
{
    if (link.SendCommand(CMD_WRITE_VERSION, true) != 0) {
        link.Messages().ShowMessage("Could not open device during Version Write.");
        link.MarkNotConnected();
        return 1;
    }
    // The board takes the 32 nibble bytes without an acknowledge.
    const std::vector<std::uint8_t> field = EncodeText(versionText, VERSION_TEXT_LENGTH);
    if (link.Write(field.data(), static_cast<DWORD>(field.size())) == FT_OK) {
        link.Driver().Close();
        link.Messages().ShowMessage("Version write complete.");
        return 0;
    }
    link.Messages().ShowMessage("Error writing version.");
    LoseLink(link);
    return 1;
}
