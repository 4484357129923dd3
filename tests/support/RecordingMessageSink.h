#pragma once
#include <string>
#include <vector>

#include "link/MessageSink.h"

// Catches the messages the core and the window ask to show, in order, instead of boxes.
class RecordingMessageSink : public MessageSink {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};
