#pragma once
#include <functional>

// Every fixed pause of the protocol goes through Pause, so that tests can replace real
// sleeping by simulated time and count how long the program would have waited.
using PauseFunction = std::function<void(unsigned milliseconds)>;

void Pause(unsigned milliseconds);

// Installs a replacement; an empty function restores real sleeping. Returns the previous one.
PauseFunction SetPauseFunction(PauseFunction replacement);
