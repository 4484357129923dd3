#pragma once
#include <functional>
#include <string>
#include <vector>

#include "link/MessageSink.h"

// Catches the messages the core and the window ask to show, in order, instead of boxes. A test
// may look at the program while a message waits for the user.
class RecordingMessageSink : public MessageSink {
public:
    void ShowMessage(const std::string& text) override
    {
        messages.push_back(text);
        if (whileShown)
            whileShown(text);
    }
    std::vector<std::string> messages;
    std::function<void(const std::string& text)> whileShown;
};
