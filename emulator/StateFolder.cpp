#include "emulator/StateFolder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace emulator {

namespace {

constexpr char kSubfolder[] = "quillet1/emulator";

// The base directory specification ignores relative paths in these variables.
bool IsAbsolute(const char* path)
{
    return path && path[0] == '/';
}

} // namespace

std::string StandardStateFolder()
{
    if (const char* state = std::getenv("XDG_STATE_HOME"); IsAbsolute(state))
        return std::string(state) + "/" + kSubfolder;
    if (const char* home = std::getenv("HOME"); IsAbsolute(home))
        return std::string(home) + "/.local/state/" + kSubfolder;
    return {};
}

bool MakeStateFolder(const std::string& folder, std::string& error)
{
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    if (code || !std::filesystem::is_directory(folder)) {
        error = "cannot create " + folder + (code ? ": " + code.message() : "");
        return false;
    }
    return true;
}

} // namespace emulator
