#pragma once
// The connection commands: connect and disconnect, the board's ping, revision, version text
// and processor, and storing a new version text.
#include <string>
#include <string_view>

class BoardLink;

// ConnectBoard's result when the board acknowledged the connect but did not answer the ping.
inline constexpr int CONNECT_NO_PING = 1;

// Pings the board (a second try after 10 ms). 0 when it answered 0xA5A5.
int Ping(BoardLink& link);
// The board's four-character revision; "VER" when it is empty, "---" when none came.
std::string GetRevision(BoardLink& link);
// The sixteen-character version text; "NO VERSION" when empty, "Error" on failure.
std::string GetVersion(BoardLink& link);
// 1 when the board's processor answer was taken, 0 otherwise.
int GetProcessorType(BoardLink& link);

// Connects to the chosen board: two connect attempts, the ping, then the revision, version
// and processor, each shown through the link's host. 0 when the board answered the ping
// (whatever the later requests gave); otherwise the device is closed, the status says why,
// and the result is the failing SendCommand result or CONNECT_NO_PING.
int ConnectBoard(BoardLink& link);

// Releases the board to run mode. 0 when acknowledged; otherwise the device is closed and
// the status reads "No response to Disconnect.".
int DisconnectBoard(BoardLink& link);

// Stores a version text of up to 16 characters on the board, with its messages. 0 when
// written; the link is marked lost otherwise.
int WriteVersion(BoardLink& link, std::u16string_view versionText);
