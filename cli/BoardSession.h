#pragma once
#include <optional>
#include <string>

#include "cli/ExitCodes.h"
#include "image/ProcessorProfile.h"
#include "link/BoardLink.h"
#include "link/D2xxBinding.h"
#include "link/LinkHost.h"

class Reporter;

// One board for one run of quillet, connected and released as the window's Connect and
// Disconnect do it. It stands where the window stands for the board link: it knows the
// board that was chosen, keeps the connection state the link reports, and takes the
// processor the board names.
class BoardSession : public LinkHost {
public:
    BoardSession(Reporter& reporter, DeviceSelection selection, std::optional<TargetProcessor> processor);

    // Binds the driver library. EXIT_NO_DRIVER when it is missing or incomplete.
    Outcome LoadDriver();

    // Binds the driver, connects (two connect attempts, the ping, then revision, version and
    // processor) and settles the processor. EXIT_USAGE when the selection was refused,
    // EXIT_NO_BOARD when no board answered.
    Outcome Connect();

    // Releases the board to run mode, unless the link was lost on the way: then, as in the
    // window, there is no connection left to end.
    void Disconnect();

    bool IsConnected() const { return connected_; }
    TargetProcessor Processor() const { return processor_; }
    // "board", "option" (--processor) or "default" (neither named one).
    const char* ProcessorSource() const { return processorSource_; }
    std::optional<TargetProcessor> BoardProcessor() const { return boardProcessor_; }
    const std::string& Revision() const { return revision_; }
    // The version text after a connect (the window's status field).
    const std::string& Status() const { return status_; }

    BoardLink& Link() { return link_; }
    D2xxBinding& Driver() { return driver_; }

    // LinkHost
    void MarkNotConnected() override;
    DeviceSelection ReadSelection() override { return selection_; }
    void FocusSearchText() override { refused_ = true; }
    void ShowStatus(const std::string& text) override { status_ = text; }
    void ShowRevision(const std::string& text) override { revision_ = text; }
    void TakeProcessorAnswer(ProcessorAnswer answer) override;
    // Once the run is interrupted the board gets nothing more, and the core's messages about
    // the writes refused are not shown.
    bool StopRequested() override;
    // True once a write was refused because the run was interrupted.
    bool Stopped() const { return stopped_; }

    // "device 5", "the board with serial number 'TVRA0001'", ...: the board this session opens.
    std::string BoardName() const;
    // The line after a program, read or version stream that stopped half way. Nothing says
    // that opening the device again reaches the download firmware behind the FIFO chip; if it
    // does not, the firmware takes the next command's bytes as the rest of the stream.
    std::string StreamCutHint() const;

private:
    void SettleProcessor();
    Outcome MissingDriver() const;
    // One line after a failed connect: which step failed and what to try next.
    std::string ConnectHint(int result) const;

    Reporter& reporter_;
    DeviceSelection selection_;
    std::optional<TargetProcessor> chosenProcessor_;
    D2xxBinding driver_;
    BoardLink link_;

    bool driverLoaded_ = false;
    bool connected_ = false;
    bool refused_ = false;
    bool stopped_ = false;
    std::string status_;
    std::string revision_ = "VER";
    std::optional<TargetProcessor> boardProcessor_;
    TargetProcessor processor_ = TargetProcessor::PIC16F84A;
    const char* processorSource_ = "default";
};
