#pragma once
#include <string>

#include "image/FirmwareImage.h"
#include "image/ProcessorProfile.h"

// The Intel HEX text of a target's memories as Read leaves them in a FirmwareImage, in the
// PIC word addressing that CheckHexFile and LoadHexImage read: byte address = 2 x word
// address, each word low byte first, records of at most 16 data bytes, an end record last.
//
// It holds the processor's program memory (8-word rows in which every word reads erased,
// 0x3FFF, are left out: Program sends and Verify expects 0x3FFF wherever a file is silent),
// the four ID words at byte address 0x4000, the configuration word at 0x400E and every
// EEPROM byte from 0x4200, each as a word whose high byte is 0. The three words between
// the ID words and the configuration word are left out: the chip keeps its device ID there
// and takes nothing a program stream sends.
std::string TargetHexText(const FirmwareImage& target, TargetProcessor processor);
