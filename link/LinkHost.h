#pragma once
#include <string>

// What the board link needs from the window that drives it: the board the user chose, and
// the places where connection state becomes visible. The main window implements it; tests
// and a command-line front end implement it their own way.
struct DeviceSelection {
    int openMethod = 2; // 0 serial number, 1 description, 2 device number, -1 none chosen
    std::string searchText;
};

// The processor a board reports, from bits 10-11 of its answer.
enum ProcessorAnswer : int {
    PROCESSOR_NONE = 0,
    PROCESSOR_16F84A = 1,
    PROCESSOR_16F877 = 2,
    PROCESSOR_UNCHANGED = 3,
};

class LinkHost {
public:
    virtual ~LinkHost() = default;

    // The common end of every link failure: status "Not connected.", the Connect button
    // back to "Connect", board buttons disabled. Does not close the device.
    virtual void MarkNotConnected() = 0;
    // The Open-by method and search text, freshly read from the controls.
    virtual DeviceSelection ReadSelection() = 0;
    // Puts the keyboard focus on the search text, all of it selected, after a refusal.
    virtual void FocusSearchText() = 0;
    virtual void ShowStatus(const std::string& text) = 0;
    virtual void ShowRevision(const std::string& text) = 0;
    // A processor answer other than PROCESSOR_NONE; the window selects the processor as if
    // its radio had been clicked (PROCESSOR_UNCHANGED keeps the selection).
    virtual void TakeProcessorAnswer(ProcessorAnswer answer) = 0;
    // True when the link is to send nothing more: the command line asks so once it has been
    // interrupted, and a board then stops before its next command word or block. The window
    // never stops an operation half way.
    virtual bool StopRequested() { return false; }
};
