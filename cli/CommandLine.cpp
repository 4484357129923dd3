#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <vector>

#include "QuilletVersion.h"
#include "cli/ExitCodes.h"
#include "cli/ProductionOptions.h"
#include "cli/Reporter.h"
#include "cli/Suggestion.h"
#include "cli/Utf8.h"
#include "image/ConfigWord.h"
#include "link/D2xxBinding.h"
#include "link/DeviceSelection.h"

namespace {

std::string ExitCodes()
{
    return R"(Exit codes:
   0  success
   2  usage error: an unknown option, a missing or refused value
   3  HEX file error: missing, unreadable, bad checksum, too large for the processor
   4  no board, board not responding, or the link lost during the operation
   5  target not blank
   6  bulk erase failed
   7  verify: the target differs from the file
   8  program: the board refused a block
   9  read -o: the output file could not be written
      (also the production log of --log and the counter file of --serial-file)
  10  the D2XX driver library ()" +
           D2xxBinding::DefaultLibraryName() + ") is missing or incomplete\n"
           " 130  interrupted by Ctrl-C or a termination signal; each unfinished board is reported";
}

constexpr char kHelpHint[] = "run 'quillet --help' for the commands and options";

void AddJson(CLI::App& command, Invocation& invocation)
{
    command.add_flag("--json", invocation.json,
                     "Print one JSON object per line: progress, messages, data, the result last");
}

void AddBoardSelection(CLI::App& command, Invocation& invocation)
{
    const auto choose = [&invocation](int method) {
        return [&invocation, method](const std::string& text) {
            // The driver compares 8-bit strings: a name typed in UTF-8 goes as the bytes
            // `list` showed it from.
            invocation.selection = {method, method == OPEN_BY_DEVICE_NUMBER ? text : TypedTextToLatin1(text)};
            invocation.boardChosen = true;
        };
    };
    auto* serial = command.add_option_function<std::string>("--serial", choose(OPEN_BY_SERIAL_NUMBER),
                                                            "Open the board with this USB serial number (case counts)");
    auto* description = command.add_option_function<std::string>(
        "--description", choose(OPEN_BY_DESCRIPTION), "Open the board with this USB description (case counts)");
    auto* device = command.add_option_function<std::string>(
        "--device", choose(OPEN_BY_DEVICE_NUMBER), "Open the driver's device number N, 0 to 64 (default 0)");
    serial->type_name("S")->excludes(description)->excludes(device)->group("Board");
    description->type_name("D")->excludes(device)->group("Board");
    device->type_name("N")->group("Board");
}

// A value from a fixed set, any case, shown in the help as the set itself.
CLI::Option* AddChoice(CLI::App& command, const std::string& name, const std::vector<std::string>& choices,
                       std::function<void(int index)> take, const std::string& help)
{
    std::string shown;
    for (const std::string& choice : choices)
        shown += (shown.empty() ? "" : "|") + choice;
    return command
        .add_option_function<std::string>(
            name,
            [choices, take = std::move(take)](const std::string& value) {
                const auto at = std::find_if(choices.begin(), choices.end(), [&](const std::string& c) {
                    return std::equal(c.begin(), c.end(), value.begin(), value.end(), [](char a, char b) {
                        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
                    });
                });
                take(static_cast<int>(at - choices.begin()));
            },
            help)
        ->type_name(shown)
        ->check(CLI::IsMember(choices, CLI::ignore_case).description(""));
}

void AddProcessor(CLI::App& command, Invocation& invocation, const char* help)
{
    // In the order of the window's processor radios.
    AddChoice(command, "--processor", {"16F84A", "16F877"},
              [&invocation](int index) { invocation.processor = ProcessorFromIndex(index); }, help)
        ->group("Board");
}

// --NAME and --no-NAME; the last one given wins, as with a compiler's -f and -fno- options.
void AddSwitch(CLI::App& command, const std::string& name, const std::string& what,
               std::optional<bool>& target)
{
    // "--watchdog=false" would read as a request and do nothing: it is refused instead.
    command.add_flag_callback("--" + name, [&target] { target = true; }, "Turn on " + what)
        ->disable_flag_override()
        ->group("Configuration");
    command.add_flag_callback("--no-" + name, [&target] { target = false; }, "Turn off " + what)
        ->disable_flag_override()
        ->group("Configuration");
}

void AddConfigSwitches(CLI::App& command, ConfigSwitches& config)
{
    // In the order of the window's code-protection radios: CP_OFF, CP_ALL, CP_1000_1FFF, CP_1F00_1FFF.
    AddChoice(command, "--code-protection", {"off", "all", "1000-1fff", "1f00-1fff"},
              [&config](int choice) { config.codeProtection = choice; },
              "Code protection; the two ranges exist on the 16F877 only")
        ->group("Configuration");
    AddSwitch(command, "watchdog", "the watchdog timer", config.watchdogTimer);
    AddSwitch(command, "power-up-timer", "the power-up timer", config.powerUpTimer);
    AddSwitch(command, "brown-out", "brown-out reset (16F877)", config.brownOutReset);
    AddSwitch(command, "program-memory-write", "program memory write (16F877)", config.programMemoryWrite);
    AddSwitch(command, "eeprom-protect", "data EEPROM write protection (16F877)", config.eepromProtect);
    AddSwitch(command, "debugger", "the in-circuit debugger (16F877)", config.inCircuitDebugger);
}

CLI::App* AddCommand(CLI::App& app, Invocation& invocation, const std::string& name,
                     const std::string& description)
{
    CLI::App* command = app.add_subcommand(name, description);
    command->callback([&invocation, name] { invocation.command = name; });
    command->footer(ExitCodes());
    AddJson(*command, invocation);
    return command;
}

void DefineCommands(CLI::App& app, Invocation& invocation)
{
    const char* const processorHelp =
        "The target processor, in place of the one the board reports";

    AddCommand(app, invocation, "list", "List the attached boards: device number, serial number, description");

    CLI::App* info = AddCommand(app, invocation, "info", "Connect and show the board's revision, version text and processor");
    AddBoardSelection(*info, invocation);
    AddProcessor(*info, invocation, processorHelp);

    for (const auto& [name, description] :
         {std::pair{"blank-check", "Ask the board whether the target is blank"},
          std::pair{"erase", "Bulk-erase the target, code-protected or not"}}) {
        CLI::App* command = AddCommand(app, invocation, name, description);
        AddBoardList(*command, invocation);
        AddProcessor(*command, invocation, processorHelp);
        AddProductionLog(*command, invocation);
    }

    CLI::App* program = AddCommand(app, invocation, "program",
                                   "Program FILE into a blank target: program memory, ID words, "
                                   "configuration word, EEPROM");
    program->add_option("FILE", invocation.file, "Intel HEX file")->required();
    program->add_flag("--auto-erase", invocation.autoErase, "Erase the target first when it is not blank");
    program->add_flag("--yes-protect", invocation.yesProtect,
                      "Confirm a configuration that protects code or EEPROM: a protected chip can "
                      "only be bulk-erased");
    AddBoardList(*program, invocation);
    AddProcessor(*program, invocation, processorHelp);
    AddConfigSwitches(*program, invocation.config);
    AddProductionLog(*program, invocation);
    AddSerialOptions(*program, invocation.serial, false);
    program->add_flag_callback("--verify", [&invocation] { invocation.verifyAfterProgram = true; },
                               "Read each chip back after programming and compare it with what was written, "
                               "serial number included (the default with --all or a list)")
        ->disable_flag_override()
        ->group("Production");
    program->add_flag_callback("--no-verify", [&invocation] { invocation.verifyAfterProgram = false; },
                               "Do not read the chips back")
        ->disable_flag_override()
        ->group("Production");
    program->footer(std::string("Options left out take the file's configuration record, else the defaults: code "
                                "protection off, watchdog on, power-up timer off, brown-out reset on, the others off.\n\n") +
                    ExitCodes());

    CLI::App* verify = AddCommand(app, invocation, "verify",
                                  "Read the whole target and report every difference from FILE and "
                                  "the configuration options");
    verify->add_option("FILE", invocation.file, "Intel HEX file")->required();
    AddBoardList(*verify, invocation);
    AddProcessor(*verify, invocation, processorHelp);
    AddConfigSwitches(*verify, invocation.config);
    AddProductionLog(*verify, invocation);
    AddSerialOptions(*verify, invocation.serial, true);
    verify->footer(std::string("The configuration word is compared with the options: those given, else the "
                               "file's configuration record, else the defaults.\n\n") +
                   ExitCodes());

    CLI::App* read = AddCommand(app, invocation, "read",
                                "Read the whole target: print its listing, or write it as an Intel HEX file");
    read->add_option("-o,--output", invocation.output, "Write an Intel HEX file that program takes back")
        ->type_name("FILE");
    read->footer(std::string("With several boards, each board's file gets its serial number before the "
                             "extension: back-TVRA0001.hex.\n\n") +
                 ExitCodes());
    AddBoardList(*read, invocation);
    AddProcessor(*read, invocation, processorHelp);
    AddProductionLog(*read, invocation);

    CLI::App* view = AddCommand(app, invocation, "view", "List what FILE holds, as the Memory Window does");
    view->add_option("FILE", invocation.file, "Intel HEX file")->required();
    AddProcessor(*view, invocation, "Check the file's size against this processor (default: any)");

    CLI::App* writeVersion = AddCommand(app, invocation, "write-version",
                                        "Store a version text of up to 16 characters on the board");
    writeVersion->add_option("TEXT", invocation.versionText, "The version text")->required();
    AddBoardSelection(*writeVersion, invocation);

    AddCommand(app, invocation, "version", "Show the program's version");
}

std::vector<std::string> CommandNames(const CLI::App& app)
{
    std::vector<std::string> names;
    for (const CLI::App* command : app.get_subcommands({}))
        names.push_back(command->get_name());
    return names;
}

// CLI11 answers a misspelt command or an unknown option in front of the command with "A
// subcommand is required", which names neither. The word in front is checked here first.
std::string CheckCommandWord(int argc, char** argv, const CLI::App& app)
{
    if (argc < 2)
        return std::string("no command given; ") + kHelpHint;
    const std::string word = argv[1];
    if (word == "-h" || word == "--help" || word == "--version")
        return {};
    const std::vector<std::string> names = CommandNames(app);
    if (std::find(names.begin(), names.end(), word) != names.end())
        return {};
    if (word.size() > 1 && word[0] == '-')
        return "unknown option '" + word + "'; " + kHelpHint;
    const std::string nearest = NearestName(word, names);
    if (!nearest.empty())
        return "unknown command '" + word + "'; did you mean '" + nearest + "'?";
    return "unknown command '" + word + "'; " + kHelpHint;
}

// The subcommand named on the command line, for a usage error reported as JSON.
std::string CommandNamed(int argc, char** argv, const CLI::App& app)
{
    for (int i = 1; i < argc; ++i) {
        for (const CLI::App* command : app.get_subcommands({})) {
            if (command->get_name() == argv[i])
                return argv[i];
        }
    }
    return {};
}

} // namespace

std::string VersionText()
{
    return std::string("quillet (Quillet1) ") + QUILLET_VERSION;
}

int ParseCommandLine(int argc, char** argv, Invocation& invocation)
{
    CLI::App app("Program PIC16F84A and PIC16F877 targets on TVR-IO boards.", "quillet");
    // Options start with dashes on every system. CLI11 would also take "/name" as an option on
    // Windows, and so an absolute path such as /home/me/x.hex given on a Unix-like shell.
    app.allow_windows_style_options(false);
    app.require_subcommand(1);
    app.footer(ExitCodes());
    app.set_version_flag("--version", VersionText(), "Show the program's version and exit");
    DefineCommands(app, invocation);
    const bool json = std::any_of(argv + 1, argv + argc, [](const char* a) { return std::string(a) == "--json"; });
    const auto refuse = [&](const std::string& message) {
        if (json) {
            Reporter reporter(CommandNamed(argc, argv, app), true);
            return reporter.Finish({EXIT_USAGE, message});
        }
        std::fprintf(stderr, "quillet: %s\n", message.c_str());
        return static_cast<int>(EXIT_USAGE);
    };
    if (const std::string problem = CheckCommandWord(argc, argv, app); !problem.empty())
        return refuse(problem);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForAllHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForVersion& version) {
        return app.exit(version);
    } catch (const CLI::ParseError& error) {
        if (json)
            return refuse(error.what());
        app.exit(error);
        return EXIT_USAGE;
    }
    return -1;
}
