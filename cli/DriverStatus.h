#pragma once
#include <string>

#include "link/D2xxTypes.h"

// The D2XX name of a status code ("FT_DEVICE_NOT_FOUND"), or "status N" for one the driver
// interface does not name.
std::string DriverStatusName(FT_STATUS status);
