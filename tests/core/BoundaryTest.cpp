// Every edge of tests/data/golden/boundaries.txt, in the original's numbers rather than this
// program's constants: the memories of each processor in a HEX file, the Program and Read
// streams and Verify, the device-number range and the version text.
#include <cstdio>
#include <functional>
#include <map>

#include "HexTestSupport.h"
#include "OperationTestSupport.h"
#include "link/CommandSet.h"
#include "link/Connection.h"
#include "link/NibbleFraming.h"
#include "ops/ProgramStream.h"
#include "ops/ReadStream.h"
#include "ops/VerifyCompare.h"
#include "support/GoldenFile.h"

namespace {

constexpr std::int32_t kMark = 0x1234;       // a word no erased or blank memory holds
constexpr std::int32_t kEepromMark = 0x0112; // EEPROM byte 0x12, supplied by the file
constexpr int kFirstEeprom = 0x2100;

class BoundaryTest : public OperationTest {
protected:
    // What the program does at `value`, in the golden file's words.
    std::string Outcome(const std::string& kind, TargetProcessor processor, const std::string& value)
    {
        const int address = value.starts_with("0x") ? std::stoi(value, nullptr, 16) : 0;
        const std::int32_t mark = address >= kFirstEeprom ? kEepromMark : kMark;
        Choose(processor);
        trace.Clear();
        if (kind == "hex-record") {
            const std::string record = Record(address * 2, DATA, {0x00, 0x00});
            return CheckHexText(record, processor, {}) == HEX_FILE_OK ? "passes" : "too-large";
        }
        if (kind == "image") {
            FirmwareImage image;
            // 0x1334: bit 8 set already, as the load sets it from 0x2100 on.
            LoadHexText(Record(address * 2, DATA, {0x34, 0x13}), HexLoadMode::Programming, image);
            return image.Get(address) == 0x1334 ? "stored" : "dropped";
        }
        if (kind == "program-sends") {
            FirmwareImage image;
            image.Reset(HexLoadMode::Programming);
            image.Set(address, mark);
            EXPECT_EQ(ProgramTarget(link, processor, image, {}), PROGRAM_DONE);
            // Each block: its address word, then 8 words; the closing block repeats block 0.
            for (const WireCall& call : WireCalls(trace)) {
                if (call.function != "FT_Write" || call.bytes.size() != 36)
                    continue;
                const int first = DecodeWord(call.bytes.data());
                for (int w = 0; w < 8 && first != 0xF000; ++w)
                    if (first + w == address && DecodeWord(call.bytes.data() + 4 * (w + 1)) == mark)
                        return "yes";
            }
            return "no";
        }
        if (kind == "read-fills") {
            FirmwareImage target;
            target.Set(address, mark);
            EXPECT_EQ(ReadTarget(link, processor, target, {}), READ_DONE);
            return target.Get(address) != mark ? "yes" : "no";
        }
        if (kind == "verify-checks") {
            // A target that holds what the file asks everywhere but at `address`.
            FirmwareImage image;
            image.Reset(HexLoadMode::Programming);
            FirmwareImage target = image;
            const ConfigOptions options;
            target.Set(0x2007, BuildConfigWord(processor, options));
            image.Set(address, mark);
            target.Set(address, address >= kFirstEeprom ? (mark & 0xFF) + 1 : mark + 1);
            return CompareWithTarget(image, target, processor, options).kind == VerifyDifference::NONE ? "no" : "yes";
        }
        if (kind == "programming") {
            FirmwareImage image;
            LoadHexText("", HexLoadMode::Programming, image);
            char word[8];
            std::snprintf(word, sizeof word, "0x%04X", static_cast<unsigned>(image.Get(address)));
            return word;
        }
        const std::string text = value.substr(1, value.size() - 2);
        if (kind == "device-number") {
            host.selection = {2, text};
            sink.messages.clear();
            link.SendCommand(CMD_PING, true);
            driver.Close();
            for (const std::string& line : trace.Lines())
                if (const auto at = line.find("FT_Open(device="); at != std::string::npos)
                    return "opens " + line.substr(at + 15, line.find(')', at) - at - 15);
            return sink.messages.size() == 1 ? "refused" : "neither opened nor refused";
        }
        if (kind == "version-text") {
            WriteVersion(link, std::u16string(text.begin(), text.end()));
            const std::vector<WireCall> calls = CallsFrom(WireCalls(trace), {0x06, 0x0A, 0x05, 0x0A});
            std::string sent;
            if (calls.size() > 2 && calls[2].function == "FT_Write")
                for (std::size_t i = 0; i + 1 < calls[2].bytes.size(); i += 2)
                    sent += static_cast<char>(calls[2].bytes[i] | calls[2].bytes[i + 1] << 4);
            return "sent \"" + sent + '"';
        }
        return "no such kind";
    }
};

TEST_F(BoundaryTest, EveryEdgeOfTheOriginalHolds)
{
    const std::map<std::string, TargetProcessor> processors{
        {"16F84A", TargetProcessor::PIC16F84A}, {"16F877", TargetProcessor::PIC16F877}, {"-", TargetProcessor::PIC16F84A}};
    const int edges = ForEachGoldenLine("boundaries.txt", [&](const std::string& line) {
        std::istringstream fields(line);
        std::string kind, processor, value, outcome;
        fields >> kind >> processor >> std::ws;
        // A quoted value may hold spaces.
        if (fields.peek() == '"') {
            std::getline(fields.ignore(), value, '"');
            value = '"' + value + '"';
        } else {
            fields >> value;
        }
        std::getline(fields >> std::ws, outcome);
        SCOPED_TRACE(line);
        EXPECT_EQ(Outcome(kind, processors.at(processor), value), outcome);
    });
    EXPECT_EQ(edges, 51); // the file read whole
}

} // namespace
