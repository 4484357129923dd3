#include "emulator/Configuration.h"

#include <charconv>
#include <cstdio>
#include <sstream>

#include "emulator/TextFields.h"

namespace emulator {

namespace {

constexpr char STANDARD_REVISION[] = "1.03";

// A value in double quotes keeps its blanks, so a version text can end in spaces.
std::string Unquote(const std::string& value)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

class ConfigurationParser {
public:
    explicit ConfigurationParser(BusSettings& settings) : settings_(settings) {}

    bool ParseLine(const std::string& rawLine, int number, std::string& error);
    bool Finish(std::string& error);

private:
    bool SetBusKey(const std::string& key, const std::string& value, std::string& error);
    bool SetBoardKey(BoardSettings& board, const std::string& key, const std::string& value,
                     std::string& error);

    BusSettings& settings_;
    bool inBoard_ = false;
    bool sawBoardSection_ = false;
    std::optional<unsigned long> boardCount_;
};

bool ConfigurationParser::ParseLine(const std::string& rawLine, int number, std::string& error)
{
    const std::string line = Trim(rawLine);
    if (line.empty() || line[0] == '#' || line[0] == ';')
        return true;
    if (line == "[board]") {
        if (settings_.boards.size() >= static_cast<std::size_t>(BOARD_LIMIT)) {
            error = "too many boards";
            return false;
        }
        settings_.boards.push_back(StandardBoard(static_cast<int>(settings_.boards.size())));
        inBoard_ = true;
        sawBoardSection_ = true;
        return true;
    }
    if (line == "[bus]") {
        inBoard_ = false;
        return true;
    }
    if (line[0] == '[') {
        error = "unknown section " + line + " (expected [bus] or [board])";
        return false;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) {
        error = "expected key = value";
        return false;
    }
    const std::string key = Trim(line.substr(0, equals));
    const std::string value = Unquote(Trim(line.substr(equals + 1)));
    if (key == "fault") {
        const int board = inBoard_ ? static_cast<int>(settings_.boards.size()) - 1 : -1;
        settings_.faults.push_back({value, board, number});
        return true;
    }
    if (inBoard_)
        return SetBoardKey(settings_.boards.back(), key, value, error);
    return SetBusKey(key, value, error);
}

bool ConfigurationParser::SetBusKey(const std::string& key, const std::string& value,
                                    std::string& error)
{
    // Keys that take one of two words; the second sets the setting.
    struct TwoWordKey {
        const char* key;
        const char* unset;
        const char* set;
        std::optional<bool> BusSettings::*setting;
    };
    static constexpr TwoWordKey kTwoWordKeys[] = {
        {"time", "real", "simulated", &BusSettings::simulatedTime},
        {"firmware", "resets-on-open", "keeps-state", &BusSettings::firmwareKeepsState},
        {"event-character", "refused", "honoured", &BusSettings::eventCharacterHonoured},
    };
    for (const TwoWordKey& choice : kTwoWordKeys) {
        if (key != choice.key)
            continue;
        if (value != choice.unset && value != choice.set) {
            error = key + " must be " + choice.unset + " or " + choice.set;
            return false;
        }
        settings_.*choice.setting = value == choice.set;
        return true;
    }
    if (key == "trace") {
        settings_.tracePath = value;
        return true;
    }
    if (key == "usb-cost") {
        settings_.usbCost = ParseSwitch(value);
        if (!settings_.usbCost) {
            error = "usb-cost must be on or off";
            return false;
        }
        return true;
    }
    if (key == "usb-frame" || key == "usb-latency") {
        const std::optional<unsigned long> milliseconds = ParseNumber(value);
        if (!milliseconds || *milliseconds > USB_COST_LIMIT) {
            error = key + " must be a number of milliseconds from 0 to " + std::to_string(USB_COST_LIMIT);
            return false;
        }
        (key == "usb-frame" ? settings_.usbFrame : settings_.usbLatency) = static_cast<unsigned>(*milliseconds);
        return true;
    }
    if (key == "time-scale") {
        double scale = 0;
        const auto [end, problem] = std::from_chars(value.data(), value.data() + value.size(), scale);
        if (problem != std::errc() || end != value.data() + value.size() || !(scale >= TIME_SCALE_MIN) ||
            scale > TIME_SCALE_MAX) {
            error = "time-scale must be a number from 0.01 to 100";
            return false;
        }
        settings_.timeScale = scale;
        return true;
    }
    if (key == "boards") {
        boardCount_ = ParseNumber(value);
        if (!boardCount_ || *boardCount_ > static_cast<unsigned long>(BOARD_LIMIT)) {
            error = "boards must be a number from 0 to " + std::to_string(BOARD_LIMIT);
            return false;
        }
        return true;
    }
    error = "unknown bus key " + key;
    return false;
}

bool ConfigurationParser::SetBoardKey(BoardSettings& board, const std::string& key,
                                      const std::string& value, std::string& error)
{
    if (key == "serial" || key == "description") {
        if (value.size() > IDENTITY_TEXT_LIMIT) {
            error = key + " is longer than " + std::to_string(IDENTITY_TEXT_LIMIT) + " characters";
            return false;
        }
        (key == "serial" ? board.serial : board.description) = value;
        return true;
    }
    if (key == "processor") {
        const std::optional<ChipKind> chip = ChipKindByName(value);
        if (!chip) {
            error = "processor must be 16F84A or 16F877";
            return false;
        }
        board.chip = *chip;
        return true;
    }
    if (key == "answer") {
        const std::optional<int> answer = ProcessorAnswerByName(value);
        if (!answer) {
            error = "answer must be chip, 16F84A, 16F877, none, unchanged or a word";
            return false;
        }
        board.processorAnswer = *answer;
        return true;
    }
    if (key == "version" || key == "revision") {
        const std::size_t limit = key == "version" ? VERSION_TEXT_LENGTH : REVISION_TEXT_LENGTH;
        if (value.size() > limit) {
            error = key + " is longer than " + std::to_string(limit) + " characters";
            return false;
        }
        if (key == "version")
            board.version = FixedText<VERSION_TEXT_LENGTH>(value);
        else
            board.revision = FixedText<REVISION_TEXT_LENGTH>(value);
        return true;
    }
    if (key == "attached") {
        const std::optional<bool> attached = ParseSwitch(value);
        if (!attached) {
            error = "attached must be yes or no";
            return false;
        }
        board.attached = *attached;
        return true;
    }
    if (key == "state") {
        // "none" says in so many words what leaving the key out means.
        board.statePath = value == "none" ? "" : value;
        return true;
    }
    error = "unknown board key " + key;
    return false;
}

bool ConfigurationParser::Finish(std::string& error)
{
    if (boardCount_) {
        if (settings_.boards.size() > *boardCount_) {
            error = "more [board] sections than boards = " + std::to_string(*boardCount_);
            return false;
        }
        while (settings_.boards.size() < *boardCount_)
            settings_.boards.push_back(StandardBoard(static_cast<int>(settings_.boards.size())));
    } else if (!sawBoardSection_) {
        settings_.boards = {StandardBoard(0), StandardBoard(1)};
    }
    for (BoardSettings& board : settings_.boards)
        board.firmwareKeepsState = settings_.firmwareKeepsState.value_or(false);
    return true;
}

} // namespace

BoardSettings StandardBoard(int index)
{
    const bool boardA = index % 2 == 0;
    const char letter = boardA ? 'A' : 'B';
    char serial[16];
    std::snprintf(serial, sizeof serial, "TVR%c%04d", letter, index / 2 + 1);

    BoardSettings board;
    board.serial = serial;
    board.description = std::string("TVR-IO") + letter;
    board.chip = boardA ? ChipKind::Pic16F84A : ChipKind::Pic16F877;
    board.version = FixedText<VERSION_TEXT_LENGTH>(board.description + " EMULATED");
    board.revision = FixedText<REVISION_TEXT_LENGTH>(STANDARD_REVISION);
    return board;
}

int ParseConfiguration(const std::string& text, BusSettings& settings, std::string& error)
{
    settings = BusSettings{};
    ConfigurationParser parser(settings);
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (!parser.ParseLine(line, number, error))
            return number;
    }
    if (!parser.Finish(error))
        return number > 0 ? number : 1;
    return 0;
}

std::optional<int> ProcessorAnswerByName(const std::string& name)
{
    if (name == "chip")
        return PROCESSOR_ANSWER_OF_CHIP;
    if (name == "none")
        return PROCESSOR_ANSWER_NONE;
    if (name == "unchanged")
        return PROCESSOR_ANSWER_UNCHANGED;
    if (const std::optional<ChipKind> chip = ChipKindByName(name))
        return ProfileOf(*chip).deviceId;
    const std::optional<unsigned long> word = ParseNumber(name);
    if (word && *word <= 0xFFFF)
        return static_cast<int>(*word);
    return std::nullopt;
}

} // namespace emulator
