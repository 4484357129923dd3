#include "emulator/StateFolder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace emulator {

namespace {

#if defined(_WIN32)
constexpr char kSubfolder[] = "quillet1\\emulator";
#else
constexpr char kSubfolder[] = "quillet1/emulator";
#endif

// Relative paths in these variables are ignored, as the XDG base directories demand.
bool IsAbsolute(const char* path)
{
#if defined(_WIN32)
    return path && std::filesystem::path(path).is_absolute();
#else
    return path && path[0] == '/';
#endif
}

} // namespace

std::string StandardStateFolder()
{
#if defined(_WIN32)
    // A program's own data for one user on one machine, which a roaming profile leaves behind.
    if (const char* local = std::getenv("LOCALAPPDATA"); IsAbsolute(local))
        return std::string(local) + "\\" + kSubfolder;
#else
    if (const char* state = std::getenv("XDG_STATE_HOME"); IsAbsolute(state))
        return std::string(state) + "/" + kSubfolder;
    if (const char* home = std::getenv("HOME"); IsAbsolute(home))
        return std::string(home) + "/.local/state/" + kSubfolder;
#endif
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
