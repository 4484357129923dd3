// What the board sees must not change when the PC groups its bytes into fewer driver calls:
// for every operation, the bytes written, concatenated in order, are pinned by their count
// and an FNV-1a digest taken from the program as it was before any such grouping. A digest
// that moves means the board now receives something else: find out why before re-pinning.
#include <cinttypes>
#include <cstdio>
#include <functional>

#include "OperationTestSupport.h"
#include "link/CommandSet.h"
#include "link/Connection.h"
#include "ops/BlankCheck.h"
#include "ops/BulkErase.h"
#include "ops/ProgramOperation.h"
#include "ops/ReadStream.h"

namespace {

constexpr auto k84A = TargetProcessor::PIC16F84A;
constexpr auto k877 = TargetProcessor::PIC16F877;

// FNV-1a, 64 bits: enough to tell two byte streams apart, and no library to depend on.
std::uint64_t Fnv1a(const Bytes& bytes)
{
    std::uint64_t hash = 0xCBF29CE484222325u; // the offset basis
    for (std::uint8_t byte : bytes) {
        hash ^= byte;
        hash *= 0x100000001B3u; // the FNV prime
    }
    return hash;
}

struct WirePin {
    std::size_t bytes;
    std::uint64_t digest;
};

struct WireCase {
    const char* name;
    TargetProcessor processor;
    std::function<bool(BoardLink&, TargetProcessor)> operation; // true when it succeeded
    WirePin pin;
};

bool Program(BoardLink& link, TargetProcessor processor, const char* fixture)
{
    const std::string path = std::string(QUILLET_TEST_DATA_DIR "/hex/") + fixture;
    ConfigOptions options;
    if (CheckHexFile(path, processor, [&](std::uint16_t word) { ApplyConfigWord(processor, word, options); }) !=
        HEX_FILE_OK)
        return false;
    FirmwareImage image;
    return ProgramFromFile(link, processor, path, false, [&] { return options; }, image, {}).Succeeded();
}

std::function<bool(BoardLink&, TargetProcessor)> ProgramOf(const char* fixture)
{
    return [fixture](BoardLink& link, TargetProcessor processor) { return Program(link, processor, fixture); };
}

bool Read(BoardLink& link, TargetProcessor processor)
{
    FirmwareImage target;
    return ReadTarget(link, processor, target, {}) == READ_DONE;
}

bool Verify(BoardLink& link, TargetProcessor processor)
{
    FirmwareImage target;
    return ReadTarget(link, processor, target, {}, PAUSE_AROUND_READ_MS) == READ_DONE;
}

bool Connect(BoardLink& link, TargetProcessor) { return ConnectBoard(link) == 0; }
bool Disconnect(BoardLink& link, TargetProcessor) { return DisconnectBoard(link) == 0; }
bool StoreVersion(BoardLink& link, TargetProcessor) { return WriteVersion(link, u"BENCH 7") == 0; }
bool Blank(BoardLink& link, TargetProcessor p) { return BlankCheck(link, p) == BLANK_CHECK_BLANK; }
bool Erase(BoardLink& link, TargetProcessor p) { return BulkErase(link, p) == ERASE_DONE; }

TEST_F(OperationTest, EveryOperationWritesTheBytesItAlwaysWrote)
{
    const WireCase cases[] = {
        {"connect 16F84A", k84A, Connect, {20, 0xC3B99504FEA55C8Fu}},
        {"connect 16F877", k877, Connect, {20, 0xC3B99504FEA55C8Fu}},
        {"disconnect", k84A, Disconnect, {4, 0x9667A8CA74B0212Fu}},
        {"write version", k84A, StoreVersion, {36, 0xF3982A58CCDB9372u}},
        {"blank check 16F84A", k84A, Blank, {4, 0x80E2C0C26CDD8AE4u}},
        {"blank check 16F877", k877, Blank, {4, 0x013DD05E626FB230u}},
        {"erase 16F84A", k84A, Erase, {4, 0xF912609882F69DF9u}},
        {"erase 16F877", k877, Erase, {4, 0x03AFF0BA2A649435u}},
        {"program blink84a on 16F84A", k84A, ProgramOf("blink84a.hex"), {4976, 0x4F195CF014FBE955u}},
        {"program blink84a-inhx8m on 16F84A", k84A, ProgramOf("blink84a-inhx8m.hex"), {4976, 0x4F195CF014FBE955u}},
        {"program blink84a-long on 16F84A", k84A, ProgramOf("blink84a-long.hex"), {4976, 0x4F195CF014FBE955u}},
        {"program blink84a on 16F877", k877, ProgramOf("blink84a.hex"), {38096, 0x0A2CE6996A7EABC0u}},
        {"program blink84a-long on 16F877", k877, ProgramOf("blink84a-long.hex"), {38096, 0x0A2CE6996A7EABC0u}},
        {"program counter877 on 16F877", k877, ProgramOf("counter877.hex"), {38096, 0x4B4D035E7CD6663Du}},
        {"program counter877-inhx8m on 16F877", k877, ProgramOf("counter877-inhx8m.hex"), {38096, 0x4B4D035E7CD6663Du}},
        {"program counter877-long on 16F877", k877, ProgramOf("counter877-long.hex"), {38096, 0x4B4D035E7CD6663Du}},
        {"read 16F84A", k84A, Read, {136, 0x9B8F501155D1EF7Fu}},
        {"read 16F877", k877, Read, {1038, 0xC9F7495CD216046Cu}},
        {"verify 16F84A", k84A, Verify, {136, 0x9B8F501155D1EF7Fu}},
        {"verify 16F877", k877, Verify, {1038, 0xC9F7495CD216046Cu}},
    };
    for (const WireCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(0, EmuConfigure(nullptr)) << EmuLastError();
        trace.Clear();
        Choose(c.processor);
        ASSERT_TRUE(c.operation(link, c.processor));
        driver.Close();

        Bytes written;
        for (const WireCall& call : WireCalls(trace)) {
            if (call.function == "FT_Write")
                written.insert(written.end(), call.bytes.begin(), call.bytes.end());
        }
        char actual[64];
        std::snprintf(actual, sizeof actual, "{%zu, 0x%016" PRIX64 "u}", written.size(), Fnv1a(written));
        EXPECT_EQ(written.size(), c.pin.bytes) << "now " << actual;
        EXPECT_EQ(Fnv1a(written), c.pin.digest) << "now " << actual;
    }
}

} // namespace
