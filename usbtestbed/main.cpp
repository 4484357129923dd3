// quillet-usb-testbed [--config FILE] [--counts FILE] -- COMMAND [ARGS]
//
// Puts emulated TVR-IO boards on an emulated USB bus (umockdev) and runs COMMAND there, so
// that the program, through the open D2XX library, libftdi1 and libusb, reaches the board
// model as it would reach boards on a desk. Exits with COMMAND's exit code; 125 when the
// test bed could not be set up, 126/127 when COMMAND could not be run, 2 on a usage error.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <umockdev.h>

#include "usbtestbed/UsbTestbed.h"

namespace {

constexpr int EXIT_USAGE = 2;
constexpr int EXIT_TESTBED_FAILED = 125;
constexpr int EXIT_CANNOT_RUN = 126;
constexpr int EXIT_NOT_FOUND = 127;

constexpr char USAGE[] =
    "Usage: quillet-usb-testbed [--config FILE] [--counts FILE] -- COMMAND [ARGS]\n"
    "Runs COMMAND with emulated TVR-IO boards on an emulated USB bus.\n"
    "  --config FILE  boards (and faults) in the D2XX emulator's configuration format;\n"
    "                 without it, TVRA0001 (16F84A) and TVRB0001 (16F877)\n"
    "  --counts FILE  write the USB transfers the boards saw to FILE at the end\n";

int Usage(const char* problem)
{
    std::fprintf(stderr, "quillet-usb-testbed: %s\n%s", problem, USAGE);
    return EXIT_USAGE;
}

// umockdev's preload library must be in every process that is to see the emulated bus,
// this one included: without it, start again under umockdev-wrapper.
bool Preloaded()
{
    const char* preload = std::getenv("LD_PRELOAD");
    return preload && std::strstr(preload, "libumockdev-preload");
}

int RunUnderWrapper(char** argv)
{
    // Once only: a wrapper that did not preload the library must not start an endless chain.
    constexpr char WRAPPED[] = "QUILLET_USB_TESTBED_WRAPPED";
    if (std::getenv(WRAPPED)) {
        std::fprintf(stderr, "quillet-usb-testbed: umockdev-wrapper did not preload libumockdev-preload\n");
        return EXIT_TESTBED_FAILED;
    }
    ::setenv(WRAPPED, "1", 1);
    std::vector<char*> arguments{const_cast<char*>("umockdev-wrapper")};
    for (char** argument = argv; *argument; ++argument)
        arguments.push_back(*argument);
    arguments.push_back(nullptr);
    ::execvp(arguments[0], arguments.data());
    std::fprintf(stderr, "quillet-usb-testbed: cannot start umockdev-wrapper (%s); install the umockdev package\n",
                 std::strerror(errno));
    return EXIT_TESTBED_FAILED;
}

} // namespace

int main(int argc, char** argv)
{
    std::string configPath;
    std::string countsPath;
    int first = 1;
    for (; first < argc; ++first) {
        const std::string option = argv[first];
        if (option == "--") {
            ++first;
            break;
        }
        if (option == "--help" || option == "-h") {
            std::fputs(USAGE, stdout);
            return 0;
        }
        if ((option == "--config" || option == "--counts") && first + 1 < argc) {
            (option == "--config" ? configPath : countsPath) = argv[++first];
            continue;
        }
        return Usage(("unknown or incomplete option " + option).c_str());
    }
    if (first >= argc)
        return Usage("no command given");
    if (!Preloaded())
        return RunUnderWrapper(argv);
    ::unsetenv("QUILLET_USB_TESTBED_WRAPPED");

    std::string configuration;
    if (!configPath.empty()) {
        std::ifstream file(configPath);
        std::ostringstream content;
        content << file.rdbuf();
        if (!file) {
            std::fprintf(stderr, "quillet-usb-testbed: cannot read %s\n", configPath.c_str());
            return EXIT_TESTBED_FAILED;
        }
        configuration = content.str();
    }
    usbtestbed::UsbTestbed testbed;
    std::string error;
    if (!testbed.Start(configuration, error)) {
        std::fprintf(stderr, "quillet-usb-testbed: %s%s%s\n", configPath.c_str(), configPath.empty() ? "" : ": ",
                     error.c_str());
        return EXIT_TESTBED_FAILED;
    }

    const pid_t child = ::fork();
    if (child < 0) {
        std::perror("quillet-usb-testbed: fork");
        return EXIT_TESTBED_FAILED;
    }
    if (child == 0) {
        ::execvp(argv[first], argv + first);
        std::fprintf(stderr, "quillet-usb-testbed: %s: %s\n", argv[first], std::strerror(errno));
        ::_exit(errno == ENOENT ? EXIT_NOT_FOUND : EXIT_CANNOT_RUN);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!countsPath.empty()) {
        std::ofstream counts(countsPath);
        counts << testbed.Counts().Text() << '\n';
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
