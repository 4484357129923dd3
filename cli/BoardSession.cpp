#include "cli/BoardSession.h"

#include <utility>

#include "cli/Reporter.h"
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

Outcome BoardSession::LoadDriver()
{
    if (driverLoaded_)
        return {};
    // The binding has said which part is missing.
    if (driver_.LoadDriver() != 0)
        return {EXIT_NO_DRIVER, "The D2XX driver library " + D2xxBinding::DefaultLibraryName() +
                                    " could not be used."};
    driverLoaded_ = true;
    return {};
}

Outcome BoardSession::Connect()
{
    // A device number the window would refuse is refused before anything is opened, with
    // the window's words; the same rule decides it.
    if (selection_.openMethod == OPEN_BY_DEVICE_NUMBER && DeviceNumberOf(selection_.searchText) < 0)
        return {EXIT_USAGE, "Select a method to open or enter a valid device number (0-64)."};
    if (Outcome loaded = LoadDriver(); loaded.exitCode != EXIT_OK)
        return loaded;
    if (ConnectBoard(link_) != 0) {
        // The description prompt of the window names no board: the link refused it.
        return {refused_ ? EXIT_USAGE : EXIT_NO_BOARD, status_};
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
