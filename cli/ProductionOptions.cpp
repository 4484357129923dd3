#include "cli/ProductionOptions.h"

#include <cerrno>
#include <cstdlib>

#include "cli/production/SerialNumber.h"
#include "link/DeviceSelection.h"

namespace {

// A whole number as C writes it: decimal, or hexadecimal after 0x. False for anything else.
bool ParseNumber(const std::string& text, std::uint64_t& number)
{
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ')
        return false;
    errno = 0;
    char* end = nullptr;
    number = std::strtoull(text.c_str(), &end, 0);
    return errno == 0 && end && *end == '\0';
}

CLI::Validator NumberCheck(std::uint64_t largest)
{
    return CLI::Validator(
        [largest](std::string& text) -> std::string {
            std::uint64_t number = 0;
            if (!ParseNumber(text, number) || number > largest)
                return "not a number from 0 to " + std::to_string(largest) + ": " + text;
            return {};
        },
        "");
}

std::uint64_t NumberOf(const std::string& text)
{
    std::uint64_t number = 0;
    ParseNumber(text, number);
    return number;
}

} // namespace

void AddBoardList(CLI::App& command, Invocation& invocation)
{
    const auto choose = [&invocation](int method) {
        return [&invocation, method](const std::vector<std::string>& texts) {
            for (const std::string& text : texts)
                invocation.boards.push_back({method, text});
            invocation.selection = invocation.boards.front();
            invocation.boardChosen = true;
        };
    };
    const auto add = [&](const char* name, int method, const char* type, const char* help) {
        return command.add_option_function<std::vector<std::string>>(name, choose(method), help)
            ->type_size(1)
            ->expected(1)
            ->allow_extra_args(false)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
            ->type_name(type)
            ->group("Board");
    };
    auto* serial = add("--serial", OPEN_BY_SERIAL_NUMBER, "S",
                       "Open the board with this USB serial number (case counts); repeat for several boards");
    auto* description = add("--description", OPEN_BY_DESCRIPTION, "D",
                            "Open the board with this USB description (case counts)");
    auto* device = add("--device", OPEN_BY_DEVICE_NUMBER, "N",
                       "Open the driver's device number N, 0 to 64 (default 0); repeat for several boards");
    auto* all = command
                    .add_flag_callback("--all",
                                       [&invocation] {
                                           invocation.allBoards = true;
                                           invocation.boardChosen = true;
                                       },
                                       "Every attached board, each on its own thread")
                    ->group("Board");
    serial->excludes(description)->excludes(device)->excludes(all);
    description->excludes(device)->excludes(all);
    device->excludes(all);
}

void AddProductionLog(CLI::App& command, Invocation& invocation)
{
    command.add_option("--log", invocation.logPath,
                       "Append JSON lines to FILE: each board's serial number when taken, its result when done")
        ->type_name("FILE")
        ->group("Production");
}

void AddSerialOptions(CLI::App& command, SerialOptions& serial, bool verify)
{
    command
        .add_flag_callback("--serial-number", [&serial] { serial.enabled = true; },
                           verify ? "Check the serial number each chip holds"
                                  : "Write a serial number, different for each chip, from --serial-file")
        ->group("Production");
    command
        .add_option_function<std::string>(
            "--serial-at",
            [&serial](const std::string& text) {
                serial.address = static_cast<int>(NumberOf(text));
                serial.addressText = text;
            },
            "Where the number goes: an EEPROM address from 0x2100 or a program-memory address")
        ->check(NumberCheck(0xFFFF))
        ->type_name("ADDRESS")
        ->group("Production");
    command
        .add_option_function<std::string>(
            "--serial-format", [&serial](const std::string& text) { serial.format = text; },
            "dec:W (W ASCII digits), be:N or le:N (N binary bytes); program memory holds each byte "
            "as RETLW (default dec:6)")
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                SerialFormat format;
                return SerialFormat::Parse(text, format) ? "" : "not dec:1-19, be:1-8 or le:1-8: " + text;
            },
            ""))
        ->type_name("FORMAT")
        ->group("Production");
    if (verify) {
        command
            .add_option_function<std::string>(
                "--serial-number-is",
                [&serial](const std::string& text) {
                    serial.enabled = true;
                    serial.given = NumberOf(text);
                },
                "The number the chip must hold (default: the one read back)")
            ->check(NumberCheck(~std::uint64_t{0}))
            ->type_name("N")
            ->group("Production");
        return;
    }
    command.add_option("--serial-file", serial.counterPath, "The serial journal: the numbers come from it and are recorded in it, with their boards")
        ->type_name("FILE")
        ->group("Production");
    command
        .add_option_function<std::string>(
            "--serial-start", [&serial](const std::string& text) { serial.start = NumberOf(text); },
            "The first number, when --serial-file does not exist yet; no larger than the file's next")
        ->check(NumberCheck(~std::uint64_t{0}))
        ->type_name("N")
        ->group("Production");
    command.add_flag("--serial-overwrite", serial.overwrite,
                     "Let the serial number replace what the HEX file holds at its addresses")
        ->group("Production");
}
