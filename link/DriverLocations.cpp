#include "link/DriverLocations.h"

#include <filesystem>
#include <system_error>

#include "link/D2xxBinding.h"

#ifndef QUILLET_INSTALL_LIBDIR
#define QUILLET_INSTALL_LIBDIR "lib"
#endif

namespace {

// The open library's folder below a library folder, the same in the build and when installed.
constexpr char kDriverFolder[] = "quillet1";

} // namespace

std::vector<std::string> OpenDriverLocations(const std::string& executableFolder,
                                             const std::string& libraryFolder)
{
    const std::filesystem::path here(executableFolder);
    const std::string file = D2xxBinding::DefaultLibraryName();
    std::vector<std::string> locations;
    auto add = [&](const std::filesystem::path& folder) {
        const std::string path = (folder / kDriverFolder / file).lexically_normal().string();
        for (const std::string& known : locations)
            if (known == path)
                return;
        locations.push_back(path);
    };
    add(here.parent_path() / libraryFolder);
    add(here / "lib");
    add(here.parent_path() / "lib");
    return locations;
}

std::vector<std::string> OpenDriverLocations()
{
#if defined(_WIN32)
    // On Windows the vendor's driver installation is the only source of Ftd2xx.dll.
    return {};
#else
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::canonical("/proc/self/exe", error);
    if (error)
        return {};
    return OpenDriverLocations(executable.parent_path().string(), QUILLET_INSTALL_LIBDIR);
#endif
}
