#pragma once
#include <string>
#include <vector>

#include "image/FirmwareImage.h"
#include "image/ProcessorProfile.h"

// The lines of the Memory Window, made from a FirmwareImage. Both listings show four entries
// a line, each column three spaces from the next, in upper-case hexadecimal.

// View: an image loaded in listing mode. Lists only the groups of four in which the file
// supplied at least one entry, under the headings "Program Data:", "Configuration Data:"
// and "EEPROM Data:"; values are shown without the listing marker.
std::vector<std::string> ViewListing(const FirmwareImage& image);

// Read: an image holding what the target returned. Every program group of the processor
// (no heading), "Configuration Data:" with the two groups of the configuration block, and
// "EEPROM Data:" with every EEPROM group and its decimal locations: 276 lines for the
// 16F84A, 2116 for the 16F877.
std::vector<std::string> ReadListing(const FirmwareImage& image, TargetProcessor processor);
