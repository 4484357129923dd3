#pragma once
#include "image/ProcessorProfile.h"

class BoardLink;

enum EraseResult : int {
    ERASE_DONE = 0,
    ERASE_SEND_FAILED = 1,  // the command exchange failed
    ERASE_READ_FAILED = 2,  // the answer could not be read
    ERASE_WRONG_ANSWER = 3, // the answer was not ACK_BYTE, or came short
};

// Has the board erase the target, code-protected or not. The device is closed afterwards;
// every code but 0 marks the link lost.
EraseResult BulkErase(BoardLink& link, TargetProcessor processor);
