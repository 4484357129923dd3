// What the board sees must not change when the PC groups its bytes into fewer driver calls:
// for Program, whose blocks the golden window test leaves out, the bytes written for each
// fixture, concatenated in order, are pinned by their count and an FNV-1a digest taken from
// the program as it was before any such grouping. A digest that moves means the board now
// receives something else: find out why before re-pinning. Every other operation's bytes
// are in the golden file.
#include <cinttypes>
#include <cstdio>

#include "OperationTestSupport.h"
#include "ops/ProgramOperation.h"

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
    const char* fixture;
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

TEST_F(OperationTest, ProgramWritesTheBytesItAlwaysWrote)
{
    const WireCase cases[] = {
        {"program blink84a on 16F84A", k84A, "blink84a.hex", {4976, 0x4F195CF014FBE955u}},
        {"program blink84a-inhx8m on 16F84A", k84A, "blink84a-inhx8m.hex", {4976, 0x4F195CF014FBE955u}},
        {"program blink84a-long on 16F84A", k84A, "blink84a-long.hex", {4976, 0x4F195CF014FBE955u}},
        {"program blink84a on 16F877", k877, "blink84a.hex", {38096, 0x0A2CE6996A7EABC0u}},
        {"program blink84a-long on 16F877", k877, "blink84a-long.hex", {38096, 0x0A2CE6996A7EABC0u}},
        {"program counter877 on 16F877", k877, "counter877.hex", {38096, 0x4B4D035E7CD6663Du}},
        {"program counter877-inhx8m on 16F877", k877, "counter877-inhx8m.hex", {38096, 0x4B4D035E7CD6663Du}},
        {"program counter877-long on 16F877", k877, "counter877-long.hex", {38096, 0x4B4D035E7CD6663Du}},
    };
    for (const WireCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(0, EmuConfigure(nullptr)) << EmuLastError();
        trace.Clear();
        Choose(c.processor);
        ASSERT_TRUE(Program(link, c.processor, c.fixture));
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
