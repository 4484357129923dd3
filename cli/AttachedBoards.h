#pragma once
#include <string>
#include <vector>

#include "link/DeviceSelection.h"

class D2xxBinding;

// A board as the driver lists it, its texts in UTF-8.
struct AttachedBoard {
    int device = 0;
    std::string serial;
    std::string description;
};

// The boards attached now, by device number: DEVICE_LIST_OK, or which driver query failed.
DeviceListResult ListAttachedBoards(D2xxBinding& driver, std::vector<AttachedBoard>& boards);

// The option that picks `board` among `boards` and will still pick it after a replug: its
// serial number when that is unique, else its description when that is, else its device
// number ("--serial TVRA0001").
std::string OptionPicking(const AttachedBoard& board, const std::vector<AttachedBoard>& boards);
