#pragma once
#include <string>
#include <vector>

#include "link/LinkHost.h"

// A window stand-in for the board link: holds the chosen board and records what the link
// shows, so core tests can assert on status texts and processor answers.
class FakeLinkHost : public LinkHost {
public:
    void MarkNotConnected() override
    {
        ++markedNotConnected;
        status = "Not connected.";
    }
    DeviceSelection ReadSelection() override { return selection; }
    void FocusSearchText() override { ++searchTextFocused; }
    void ShowStatus(const std::string& text) override { status = text; }
    void ShowRevision(const std::string& text) override { revision = text; }
    void TakeProcessorAnswer(ProcessorAnswer answer) override { processorAnswers.push_back(answer); }

    DeviceSelection selection{2, "0"};
    std::string status;
    std::string revision = "VER";
    std::vector<ProcessorAnswer> processorAnswers;
    int markedNotConnected = 0;
    int searchTextFocused = 0;
};
