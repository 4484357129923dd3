#pragma once
#include <string>

namespace emulator {

// The folder where the standard boards keep their chips between runs, as a real board keeps
// its flash: $XDG_STATE_HOME/quillet1/emulator, else ~/.local/state/quillet1/emulator; on
// Windows %LOCALAPPDATA%\quillet1\emulator. Empty when no variable gives an absolute path (the chips then live as long as the
// process). The folder is not created here.
std::string StandardStateFolder();

// Creates `folder` and its parents. False, with `error` saying why, when it cannot be made.
bool MakeStateFolder(const std::string& folder, std::string& error);

} // namespace emulator
