#pragma once
#include <string>

// Every message box the core asks for goes through this interface: the window shows a
// modal box captioned with the program's name, a test records the text.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const std::string& text) = 0;
};
