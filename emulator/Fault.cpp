#include "emulator/Fault.h"

#include <map>

#include "emulator/Configuration.h"
#include "emulator/NibbleCodec.h"
#include "emulator/TextFields.h"
#include "link/D2xxTypes.h"

namespace emulator {

namespace {

enum Key : unsigned {
    BOARD = 1u << 0, COMMAND = 1u << 1, AT = 1u << 2, STREAM = 1u << 3, PART = 1u << 4,
    BLOCK = 1u << 5, VALUE = 1u << 6, COUNT = 1u << 7, DELAY = 1u << 8, BYTES = 1u << 9,
    SKIP = 1u << 10, TIMES = 1u << 11, CALL = 1u << 12, FILE = 1u << 13,
};
constexpr unsigned COMMON = BOARD | SKIP | TIMES | CALL;
constexpr unsigned SELECTOR = COMMAND | AT | STREAM | PART | BLOCK;

constexpr std::pair<const char*, Key> KEY_NAMES[] = {
    {"board", BOARD}, {"command", COMMAND}, {"at", AT}, {"stream", STREAM}, {"part", PART},
    {"block", BLOCK}, {"value", VALUE}, {"count", COUNT}, {"delay", DELAY}, {"bytes", BYTES},
    {"skip", SKIP}, {"times", TIMES}, {"call", CALL}, {"file", FILE},
};

// Where a fault waits: fixed by its name, or chosen by its keys (Selected).
enum class Placement { Call, Command, ProgramStream, ReadStream, Selected };

struct FaultName {
    const char* name;
    FaultKind kind;
    Placement placement;
    unsigned required;
    unsigned allowed; // besides the required keys and COMMON
};

constexpr FaultName FAULT_NAMES[] = {
    {"ack-wrong", FaultKind::AckWrong, Placement::Command, COMMAND, VALUE},
    {"ack-short", FaultKind::AckShort, Placement::Command, COMMAND, 0},
    {"ack-missing", FaultKind::AckMissing, Placement::Command, COMMAND, 0},
    {"ack-late", FaultKind::AckLate, Placement::Command, COMMAND | DELAY, 0},
    {"ack-bytes", FaultKind::AckBytes, Placement::Command, COMMAND | BYTES, 0},
    {"answer-wrong", FaultKind::AnswerWrong, Placement::Command, COMMAND | VALUE, 0},
    {"answer-short", FaultKind::AnswerShort, Placement::Command, COMMAND, COUNT},
    {"answer-missing", FaultKind::AnswerMissing, Placement::Command, COMMAND, 0},
    {"answer-late", FaultKind::AnswerLate, Placement::Command, COMMAND | DELAY, 0},
    {"answer-zero", FaultKind::AnswerZero, Placement::Command, COMMAND, 0},
    {"answer-bytes", FaultKind::AnswerBytes, Placement::Command, COMMAND | BYTES, 0},
    {"processor-answer", FaultKind::AnswerBytes, Placement::Command, VALUE, 0},
    {"block-ack-wrong", FaultKind::BlockAckWrong, Placement::ProgramStream, 0, PART | BLOCK | VALUE},
    {"block-ack-short", FaultKind::BlockAckShort, Placement::ProgramStream, 0, PART | BLOCK},
    {"block-ack-missing", FaultKind::BlockAckMissing, Placement::ProgramStream, 0, PART | BLOCK},
    {"block-ack-late", FaultKind::BlockAckLate, Placement::ProgramStream, DELAY, PART | BLOCK},
    {"block-short", FaultKind::BlockShort, Placement::ReadStream, 0, PART | BLOCK | COUNT | DELAY},
    {"unplug", FaultKind::Unplug, Placement::Selected, 0, SELECTOR},
    {"read-fails", FaultKind::ReadFails, Placement::Selected, 0, SELECTOR},
    {"write-fails", FaultKind::WriteFails, Placement::Selected, 0, SELECTOR | VALUE},
    {"write-short", FaultKind::WriteShort, Placement::Selected, 0, SELECTOR | COUNT},
    {"hold", FaultKind::Hold, Placement::Selected, FILE, SELECTOR},
    {"high-nibbles", FaultKind::HighNibbles, Placement::Call, 0, VALUE},
    {"count-fails", FaultKind::CountFails, Placement::Call, 0, 0},
    {"timeouts-fail", FaultKind::TimeoutsFail, Placement::Call, 0, 0},
    {"list-fails", FaultKind::ListFails, Placement::Call, 0, 0},
    {"list-past-null", FaultKind::ListPastNull, Placement::Call, 0, 0},
    {"board-appears", FaultKind::BoardAppears, Placement::Call, 0, 0},
    {"boards", FaultKind::Boards, Placement::Call, COUNT, 0},
};

constexpr unsigned BYTE_LIMIT = 0xFF;
constexpr unsigned WORD_LIMIT = 0xFFFF;
constexpr unsigned NIBBLE_LIMIT = 0xF;
constexpr unsigned DEFAULT_HIGH_NIBBLE = 0xF;
constexpr unsigned DEFAULT_WRONG_ACK = NOT_BLANK_BYTE; // a value no command accepts as ACK_BYTE

std::optional<StreamPart> PartByName(const std::string& name)
{
    if (name == "program")
        return StreamPart::Program;
    if (name == "config")
        return StreamPart::Config;
    if (name == "eeprom")
        return StreamPart::Eeprom;
    if (name == "closing")
        return StreamPart::Closing;
    return std::nullopt;
}

bool ParseBytes(const std::string& text, std::vector<std::uint8_t>& bytes)
{
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        std::string item = text.substr(start, comma - start);
        if (item.rfind("0x", 0) != 0 && item.rfind("0X", 0) != 0)
            item = "0x" + item;
        const std::optional<unsigned long> value = ParseNumber(item);
        if (!value || *value > BYTE_LIMIT)
            return false;
        bytes.push_back(static_cast<std::uint8_t>(*value));
        start = comma + 1;
    }
    return !bytes.empty();
}

class FaultParser {
public:
    FaultParser(Fault& fault, std::string& error) : fault_(fault), error_(error) {}
    bool Parse(const std::vector<std::string>& words, int defaultBoard);

private:
    bool Fail(const std::string& why)
    {
        error_ = fault_.text + ": " + why;
        return false;
    }
    bool Number(const std::string& key, unsigned long limit, unsigned& out);
    bool TakeKeys(const std::vector<std::string>& words, const FaultName& name);
    bool Place(const FaultName& name);
    bool CheckValues(const FaultName& name);

    Fault& fault_;
    std::string& error_;
    std::map<std::string, std::string> values_;
    unsigned given_ = 0;
};

bool FaultParser::Number(const std::string& key, unsigned long limit, unsigned& out)
{
    const std::optional<unsigned long> number = ParseNumber(values_[key]);
    if (!number || *number > limit)
        return Fail(key + " must be a number from 0 to " + std::to_string(limit));
    out = static_cast<unsigned>(*number);
    return true;
}

bool FaultParser::Parse(const std::vector<std::string>& allWords, int defaultBoard)
{
    std::vector<std::string> words = allWords;
    if (!words.empty() && words[0].rfind("fault=", 0) == 0)
        words[0].erase(0, 6);
    if (!words.empty() && words[0].empty())
        words.erase(words.begin());
    if (!words.empty() && words[0] == "fault")
        words.erase(words.begin());
    if (!words.empty() && words[0] == "=")
        words.erase(words.begin());
    if (words.empty())
        return Fail("no fault named");
    const FaultName* name = nullptr;
    for (const FaultName& candidate : FAULT_NAMES) {
        if (words[0] == candidate.name)
            name = &candidate;
    }
    if (!name)
        return Fail("unknown fault " + words[0]);
    fault_.kind = name->kind;
    fault_.board = defaultBoard;
    return TakeKeys(words, *name) && Place(*name) && CheckValues(*name);
}

bool FaultParser::TakeKeys(const std::vector<std::string>& words, const FaultName& name)
{
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::size_t equals = words[i].find('=');
        const std::string key = words[i].substr(0, equals);
        unsigned bit = 0;
        for (const auto& [keyName, keyBit] : KEY_NAMES) {
            if (key == keyName)
                bit = keyBit;
        }
        if (equals == std::string::npos || bit == 0 || !((name.required | name.allowed | COMMON) & bit))
            return Fail(words[i] + " is not a key of " + name.name);
        values_[key] = words[i].substr(equals + 1);
        given_ |= bit;
    }
    if ((given_ & name.required) != name.required)
        return Fail(std::string(name.name) + " needs more keys (see emulator/README.md)");
    return true;
}

bool FaultParser::Place(const FaultName& name)
{
    switch (name.placement) {
    case Placement::Call:
        fault_.where = Where::Call;
        return true;
    case Placement::Command:
        fault_.where = Where::Command;
        fault_.at = name.kind == FaultKind::AckWrong || name.kind == FaultKind::AckShort ||
                            name.kind == FaultKind::AckMissing || name.kind == FaultKind::AckLate ||
                            name.kind == FaultKind::AckBytes
                        ? Moment::Ack
                        : Moment::Answer;
        return true;
    case Placement::ProgramStream:
    case Placement::ReadStream:
        fault_.where = Where::Stream;
        fault_.stream = name.placement == Placement::ReadStream ? StreamKind::Read : StreamKind::Program;
        return true;
    case Placement::Selected:
        break;
    }
    if ((given_ & COMMAND) && (given_ & (STREAM | PART | BLOCK)))
        return Fail("a fault waits either at a command or in a stream");
    if (given_ & COMMAND) {
        fault_.where = Where::Command;
        const std::string at = values_.count("at") ? values_["at"] : "";
        if (name.kind == FaultKind::WriteFails || name.kind == FaultKind::WriteShort || name.kind == FaultKind::Hold) {
            if (at != "" && at != "command" && at != "data")
                return Fail("at must be command or data");
            fault_.at = at == "data" ? Moment::DataWrite : Moment::CommandWrite;
        } else {
            if (at != "" && at != "ack" && at != "answer")
                return Fail("at must be ack or answer");
            fault_.at = at == "answer" ? Moment::Answer : Moment::Ack;
        }
        return true;
    }
    if (given_ & AT)
        return Fail("at needs a command");
    if (given_ & (PART | BLOCK) && !(given_ & STREAM))
        return Fail("part and block need stream=program or stream=read");
    if (given_ & STREAM) {
        if (values_["stream"] != "program" && values_["stream"] != "read")
            return Fail("stream must be program or read");
        fault_.where = Where::Stream;
        fault_.stream = values_["stream"] == "read" ? StreamKind::Read : StreamKind::Program;
        return true;
    }
    if (name.kind == FaultKind::Unplug || name.kind == FaultKind::Hold)
        return Fail(std::string(name.name) + " needs a command or a stream to wait for");
    fault_.where = Where::Call;
    return true;
}

bool FaultParser::CheckValues(const FaultName& name)
{
    unsigned number = 0;
    if (given_ & BOARD) {
        if (!Number("board", BOARD_LIMIT - 1, number))
            return false;
        fault_.board = static_cast<int>(number);
    }
    const CommandInfo* command = nullptr;
    if ((given_ & COMMAND) && values_["command"] != "any") {
        command = FindCommand(values_["command"]);
        if (!command)
            return Fail("unknown command " + values_["command"]);
        fault_.command = command->word;
    }
    if (fault_.at == Moment::Answer && fault_.where == Where::Command && command &&
        command->answerNibbles == 0)
        return Fail(std::string(command->name) + " has no answer after its acknowledge");
    if (given_ & PART) {
        fault_.part = PartByName(values_["part"]);
        if (!fault_.part || (fault_.stream == StreamKind::Read && *fault_.part == StreamPart::Closing))
            return Fail("part must be program, config, eeprom" +
                        std::string(fault_.stream == StreamKind::Program ? " or closing" : ""));
    }
    if (given_ & BLOCK) {
        if (!Number("block", WORD_LIMIT, number))
            return false;
        fault_.block = number;
    }
    if (given_ & COUNT) {
        if (!Number("count", WORD_LIMIT, number))
            return false;
        fault_.count = number;
    }
    if ((given_ & DELAY) && !Number("delay", WORD_LIMIT * WORD_LIMIT, fault_.delay))
        return false;
    if (given_ & FILE) {
        fault_.file = values_["file"];
        if (fault_.file.empty())
            return Fail("file needs a path");
    }
    if ((given_ & BYTES) && !ParseBytes(values_["bytes"], fault_.bytes))
        return Fail("bytes must be hexadecimal bytes separated by commas, like F5,FA");
    if (given_ & SKIP && !Number("skip", WORD_LIMIT * WORD_LIMIT, fault_.skip))
        return false;
    if (given_ & TIMES) {
        if (!Number("times", WORD_LIMIT * WORD_LIMIT, number))
            return false;
        fault_.times = number;
    }
    if (given_ & CALL) {
        if (given_ & (SKIP | TIMES))
            return Fail("call=N stands for skip=N-1 times=1; give one or the other");
        if (!Number("call", WORD_LIMIT * WORD_LIMIT, number) || number == 0)
            return Fail("call counts from 1");
        fault_.skip = number - 1;
        fault_.times = 1;
    }

    switch (name.kind) {
    case FaultKind::AckWrong:
    case FaultKind::BlockAckWrong:
        fault_.value = DEFAULT_WRONG_ACK;
        return !(given_ & VALUE) || Number("value", BYTE_LIMIT, fault_.value);
    case FaultKind::AnswerWrong:
        if (command && command->answer != AnswerKind::Byte && command->answer != AnswerKind::Word)
            return Fail(std::string(command->name) + " answers a text; use answer-bytes or answer-zero");
        return Number("value", command && command->answer == AnswerKind::Byte ? BYTE_LIMIT : WORD_LIMIT,
                      fault_.value);
    case FaultKind::WriteFails:
        fault_.value = FT_IO_ERROR;
        return !(given_ & VALUE) || Number("value", BYTE_LIMIT, fault_.value);
    case FaultKind::HighNibbles:
        fault_.value = DEFAULT_HIGH_NIBBLE;
        return !(given_ & VALUE) || Number("value", NIBBLE_LIMIT, fault_.value);
    case FaultKind::AnswerBytes:
        if (std::string(name.name) == "processor-answer") {
            const std::optional<int> answer = ProcessorAnswerByName(values_["value"]);
            if (!answer || *answer == PROCESSOR_ANSWER_OF_CHIP)
                return Fail("value must be 16F84A, 16F877, none, unchanged or a word");
            fault_.where = Where::Command;
            fault_.at = Moment::Answer;
            fault_.command = CMD_GET_PROCESSOR;
            AppendNibbles(fault_.bytes, static_cast<unsigned>(*answer), WORD_NIBBLES);
        }
        return true;
    case FaultKind::Boards:
        if (*fault_.count > static_cast<unsigned>(BOARD_LIMIT))
            return Fail("at most " + std::to_string(BOARD_LIMIT) + " boards");
        return true;
    default:
        return true;
    }
}

} // namespace

bool ParseFault(const std::string& text, int defaultBoard, Fault& fault, std::string& error)
{
    fault = Fault{};
    fault.text = Trim(text);
    FaultParser parser(fault, error);
    return parser.Parse(SplitWords(text), defaultBoard);
}

} // namespace emulator
