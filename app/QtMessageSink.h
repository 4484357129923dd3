#pragma once
#include "link/MessageSink.h"

// Shows each message in a modal box with one OK button and the exclamation icon, captioned
// with the program's name, and waits until the user dismisses it.
class QtMessageSink : public MessageSink {
public:
    void ShowMessage(const std::string& text) override;
};
