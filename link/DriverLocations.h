#pragma once
#include <string>
#include <vector>

// Where the open D2XX library of this installation may be, most likely first: beside the
// program's executable in an installed tree (bin/ and <libdir>/quillet1/), and in the build
// folder (lib/quillet1/ below the top folder of the build, one or two levels up from the
// executables). Found relative to the running executable, so a moved or relocated tree works.
std::vector<std::string> OpenDriverLocations();

// The same for an executable in `executableFolder`, with the installation's library folder
// `libraryFolder` (for example "lib/x86_64-linux-gnu").
std::vector<std::string> OpenDriverLocations(const std::string& executableFolder,
                                             const std::string& libraryFolder);
