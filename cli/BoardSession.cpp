#include "cli/BoardSession.h"

#include <cstdlib>
#include <utility>

#include "cli/DriverStatus.h"
#include "cli/Utf8.h"
#include "cli/Reporter.h"
#include "cli/production/Interruption.h"
#include "link/Connection.h"
#include "link/DeviceSelection.h"

BoardSession::BoardSession(Reporter& reporter, DeviceSelection selection,
                           std::optional<TargetProcessor> processor)
    : reporter_(reporter),
      selection_(std::move(selection)),
      chosenProcessor_(processor),
      driver_(reporter),
      link_(driver_, *this, reporter)
{
}

namespace {

constexpr char kNoPingStatus[] = "Device not responding to ping.";

} // namespace

Outcome BoardSession::LoadDriver()
{
    if (driverLoaded_)
        return {};
    // The window's words for a missing library name the Windows file; the command line says
    // which file it looked for, where, and why it failed.
    if (!driver_.OpenLibrary())
        return MissingDriver();
    // The binding has said which entry point is missing.
    if (driver_.BindEntries() != 0)
        return {EXIT_NO_DRIVER, "The D2XX driver library " + D2xxBinding::DefaultLibraryName() +
                                    " could not be used."};
    driverLoaded_ = true;
    return {};
}

Outcome BoardSession::MissingDriver() const
{
#if defined(_WIN32)
    const std::string where = "looked for " + driver_.LibraryName() +
                              " beside quillet.exe, in the system folders and on PATH; install the chip "
                              "maker's D2XX driver";
#else
    const char* searchPath = std::getenv("LD_LIBRARY_PATH");
    // Then the open library of this installation, wherever it was looked for.
    std::string openLibrary;
    for (const std::string& place : driver_.Fallbacks())
        openLibrary += (openLibrary.empty() ? ", then the open library at " : ", ") + place;
    const std::string where = "looked for " + driver_.LibraryName() + " in LD_LIBRARY_PATH (" +
                              (searchPath && *searchPath ? searchPath : std::string("not set")) +
                              ") and the system's library folders" + openLibrary +
                              "; install the chip maker's D2XX library "
                              "(README, \"Using a real board\"), or put the emulator's folder on "
                              "LD_LIBRARY_PATH to try the program without a board";
#endif
    return {EXIT_NO_DRIVER, "cannot load the D2XX driver library: " + driver_.LibraryError(), where};
}

std::string BoardSession::BoardName() const
{
    switch (selection_.openMethod) {
    case OPEN_BY_SERIAL_NUMBER: return "the board with serial number '" + Latin1ToUtf8(selection_.searchText) + "'";
    case OPEN_BY_DESCRIPTION: return "the board described as '" + Latin1ToUtf8(selection_.searchText) + "'";
    default: return "device " + std::to_string(DeviceNumberOf(selection_.searchText));
    }
}

std::string BoardSession::ConnectHint(int result) const
{
    // CONNECT_NO_PING shares its number with a driver status; the window's status text does not.
    if (result == CONNECT_NO_PING && status_ == kNoPingStatus)
        return BoardName() + " acknowledged the connect command but did not answer the ping; unplug and "
                             "replug the board, then try again";
    const FT_STATUS opened = driver_.LastOpenStatus();
    if (opened == FT_OK)
        return BoardName() + " was opened but did not acknowledge the connect command; check the board's "
                             "power and cable, then unplug and replug it";
    std::string hint = "could not open " + BoardName() + ": " + DriverStatusName(opened);
    if (opened == FT_DEVICE_NOT_OPENED)
        hint += " (another program may be using it, or the kernel's serial driver holds it: see README, "
                "\"Using a real board\")";
    return hint + "; run 'quillet list' to see the attached boards";
}

std::string BoardSession::StreamCutHint() const
{
    return BoardName() + " stopped in the middle of a stream, and its download firmware may still be "
                         "waiting for the rest: unplug and replug the board before its next command";
}

Outcome BoardSession::Connect()
{
    // A device number the window would refuse is refused before anything is opened, with
    // the window's words; the same rule decides it.
    if (selection_.openMethod == OPEN_BY_DEVICE_NUMBER && DeviceNumberOf(selection_.searchText) < 0)
        return {EXIT_USAGE, "Select a method to open or enter a valid device number (0-64)."};
    if (Outcome loaded = LoadDriver(); loaded.exitCode != EXIT_OK)
        return loaded;
    if (const int result = ConnectBoard(link_); result != 0) {
        // The description prompt of the window names no board: the link refused it.
        if (refused_)
            return {EXIT_USAGE, status_};
        return {EXIT_NO_BOARD, status_, ConnectHint(result)};
    }
    connected_ = true;
    SettleProcessor();
    return {};
}

void BoardSession::SettleProcessor()
{
    if (chosenProcessor_) {
        processor_ = *chosenProcessor_;
        processorSource_ = "option";
        if (boardProcessor_ && *boardProcessor_ != processor_)
            reporter_.Warn(std::string("the board reports a ") + GetProcessorProfile(*boardProcessor_).name +
                           "; going on with the " + GetProcessorProfile(processor_).name +
                           " that --processor names");
    } else if (boardProcessor_) {
        processor_ = *boardProcessor_;
        processorSource_ = "board";
    } else {
        // The window starts with the 16F84A and keeps it when the board names nothing.
        reporter_.Warn("the board did not report its processor; taking the 16F84A (name it with --processor)");
    }
}

void BoardSession::Disconnect()
{
    if (!connected_)
        return;
    connected_ = false;
    if (DisconnectBoard(link_) != 0)
        reporter_.Warn(status_);
}

void BoardSession::MarkNotConnected()
{
    connected_ = false;
    status_ = "Not connected.";
}

void BoardSession::TakeProcessorAnswer(ProcessorAnswer answer)
{
    // PROCESSOR_UNCHANGED keeps what was selected, as the window's radios do.
    if (answer == PROCESSOR_16F84A)
        boardProcessor_ = TargetProcessor::PIC16F84A;
    else if (answer == PROCESSOR_16F877)
        boardProcessor_ = TargetProcessor::PIC16F877;
}

bool BoardSession::StopRequested()
{
    if (!stopped_ && InterruptionRequested()) {
        stopped_ = true;
        reporter_.Quiet();
    }
    return stopped_;
}
