#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <sstream>
#include <ostream>

#include "emulator/EmulatorControl.h"
#include "link/D2xxBinding.h"
#include "link/DriverLocations.h"
#include "support/GoldenFile.h"
#include "support/RecordingMessageSink.h"
#include "support/TraceFile.h"

namespace {

using Messages = std::vector<std::string>;

class D2xxBindingTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(EmuConfigure(nullptr), 0); }
    RecordingMessageSink sink;
};

TEST_F(D2xxBindingTest, BindsTheEmulatorByNameAndReachesItsBoards)
{
    TraceFile trace("binding");
    D2xxBinding binding(sink);
    EXPECT_EQ(binding.LoadDriver(), 0);
    EXPECT_EQ(sink.messages, Messages{});

    DWORD count = 0;
    EXPECT_EQ(binding.ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(count, 2u) << "the emulator's default bus holds two boards";

    EXPECT_EQ(binding.OpenEx("TVRB0001", FT_OPEN_BY_SERIAL_NUMBER), FT_OK);
    EXPECT_TRUE(binding.IsDeviceOpen());
    EXPECT_EQ(binding.Purge(FT_PURGE_RX), FT_OK);
    EXPECT_EQ(binding.SetTimeouts(200, 200), FT_OK);
    DWORD waiting = 99;
    EXPECT_EQ(binding.GetQueueStatus(&waiting), FT_OK);
    EXPECT_EQ(waiting, 0u);
    EXPECT_EQ(binding.Close(), FT_OK);
    EXPECT_FALSE(binding.IsDeviceOpen());
    EXPECT_NE(binding.OpenEx("tvrb0001", FT_OPEN_BY_SERIAL_NUMBER), FT_OK)
        << "serial numbers are case sensitive";
    EXPECT_EQ(trace.Count("FT_ResetDevice"), 0) << "looked up, never called";
}

TEST_F(D2xxBindingTest, NeverHandsAClosedHandleToTheDriver)
{
    TraceFile trace("closed-handle");
    D2xxBinding binding(sink);
    ASSERT_EQ(binding.LoadDriver(), 0);

    // Nothing opened yet: closing calls nothing, the device calls fail with 1.
    EXPECT_EQ(binding.Close(), FT_OK);
    unsigned char buffer[4] = {};
    DWORD moved = 0;
    EXPECT_EQ(binding.Write(buffer, 4, &moved), FT_INVALID_HANDLE);
    EXPECT_EQ(binding.Read(buffer, 4, &moved), FT_INVALID_HANDLE);

    ASSERT_EQ(binding.Open(0), FT_OK);
    EXPECT_EQ(binding.Close(), FT_OK);
    EXPECT_EQ(binding.Close(), FT_OK);
    EXPECT_EQ(binding.Purge(FT_PURGE_RX), FT_INVALID_HANDLE);
    EXPECT_EQ(binding.SetTimeouts(1000, 1000), FT_INVALID_HANDLE);

    EXPECT_EQ(trace.Count("FT_Close"), 1);
    EXPECT_EQ(trace.Count("FT_Write") + trace.Count("FT_Read") + trace.Count("FT_Purge") +
                  trace.Count("FT_SetTimeouts"),
              0);
    EXPECT_EQ(sink.messages, Messages{});
}

// Every driver message against tests/data/golden/driver-messages.txt, with libraries that
// have only the entry points looked up before a missing one.
TEST_F(D2xxBindingTest, EveryMissingPieceShowsItsGoldenMessage)
{
    std::vector<std::string> partial; // the library with the first N entry points, by N
    std::istringstream paths(QUILLET_PARTIAL_DRIVERS);
    for (std::string path; std::getline(paths, path, '|');)
        partial.push_back(path);
    std::vector<std::string> lookupOrder;
    unsigned char buffer[2] = {};
    DWORD moved = 0;
    const std::map<std::string, std::function<void(D2xxBinding&)>> calls{
        {"FT_Write", [&](D2xxBinding& b) { b.Write(buffer, 2, &moved); }},
        {"FT_Read", [&](D2xxBinding& b) { b.Read(buffer, 2, &moved); }},
        {"FT_Open", [](D2xxBinding& b) { b.Open(0); }},
        {"FT_OpenEx", [](D2xxBinding& b) { b.OpenEx("TVRA0001", FT_OPEN_BY_SERIAL_NUMBER); }},
        {"FT_ListDevices", [&](D2xxBinding& b) { b.ListDevices(&moved, nullptr, FT_LIST_NUMBER_ONLY); }},
        {"FT_Close", [](D2xxBinding& b) { b.Close(); }},
        {"FT_Purge", [](D2xxBinding& b) { b.Purge(FT_PURGE_RX); }},
        {"FT_SetTimeouts", [](D2xxBinding& b) { b.SetTimeouts(1000, 1000); }},
        {"FT_GetQueueStatus", [&](D2xxBinding& b) { b.GetQueueStatus(&moved); }},
    };
    const int lines = ForEachGoldenLine("driver-messages.txt", [&](const std::string& line) {
        std::istringstream fields(line);
        std::string when, name, text;
        fields >> when;
        if (when != "load")
            fields >> name;
        std::getline(fields >> std::ws, text);
        SCOPED_TRACE(line);
        if (when == "find")
            lookupOrder.push_back(name);
        const auto index = static_cast<std::size_t>(
            std::find(lookupOrder.begin(), lookupOrder.end(), name) - lookupOrder.begin());
        ASSERT_TRUE(when == "load" || index < partial.size());
        D2xxBinding binding(sink, when == "load" ? "libftd2xx-absent.so" : partial[index]);
        sink.messages.clear();
        binding.LoadDriver();
        if (when == "call") {
            ASSERT_TRUE(calls.count(name));
            if (index > 2) { // FT_Open is there: the calls after it meet an open device
                ASSERT_EQ(binding.Open(0), FT_OK);
            }
            sink.messages.clear();
            calls.at(name)(binding);
        }
        EXPECT_EQ(sink.messages, Messages{text.substr(0, text.size() - 1)});
        EXPECT_EQ(text.back(), '|');
    });
    EXPECT_EQ(lines, 20); // the file read whole
}

TEST_F(D2xxBindingTest, ALibraryWithoutResetDeviceKeepsTheEntriesBeforeIt)
{
    D2xxBinding binding(sink, QUILLET_PARTIAL_DRIVER);
    EXPECT_EQ(binding.LoadDriver(), 1);
    EXPECT_EQ(sink.messages, Messages{"Error: Can't Find FT_ResetDevice"});
    sink.messages.clear();

    ASSERT_EQ(binding.Open(0), FT_OK);
    unsigned char buffer[2] = {0x05, 0x0A};
    DWORD moved = 0;
    EXPECT_EQ(binding.Write(buffer, 2, &moved), FT_OK);
    EXPECT_EQ(binding.Read(buffer, 2, &moved), FT_OK);
    DWORD count = 0;
    for (int call = 0; call < 2; ++call) {
        EXPECT_EQ(binding.Purge(FT_PURGE_RX), FT_INVALID_HANDLE);
        EXPECT_EQ(binding.SetTimeouts(1000, 1000), FT_INVALID_HANDLE);
        EXPECT_EQ(binding.GetQueueStatus(&count), FT_INVALID_HANDLE);
    }
    EXPECT_EQ(binding.Close(), FT_OK);
    const Messages notValid{"FT_Purge is not valid!", "FT_SetTimeouts is not valid!",
                            "FT_GetQueueStatus is not valid!"};
    Messages twice = notValid;
    twice.insert(twice.end(), notValid.begin(), notValid.end());
    EXPECT_EQ(sink.messages, twice) << "a missing entry point speaks on every call";
}

struct FallbackCase {
    const char* name;
    std::vector<std::string> fallbacks;
    int loaded;
    std::string path; // the library that answers, "" for none
    Messages messages;
};

void PrintTo(const FallbackCase& c, std::ostream* out)
{
    *out << c.name << " then " << c.fallbacks.size() << " fallback(s)";
}

class FallbackTest : public ::testing::TestWithParam<FallbackCase> {};

// The vendor's library by name first; only when it cannot be loaded, the first fallback that
// can. The binding then names the file it took.
TEST_P(FallbackTest, TakesTheFirstLibraryThatLoads)
{
#if defined(_WIN32)
    // The open library and the folders searched for it exist on Linux only; Windows loads the
    // vendor's Ftd2xx.dll by name, as the tests above show with the emulator's.
    GTEST_SKIP() << "no open D2XX library on Windows";
#endif
    const FallbackCase& c = GetParam();
    RecordingMessageSink sink;
    D2xxBinding binding(sink, c.name, c.fallbacks);
    EXPECT_EQ(binding.LoadDriver(), c.loaded);
    EXPECT_EQ(binding.LoadedPath(), c.path);
    EXPECT_EQ(sink.messages, c.messages);
}

const std::string kEmulator = std::string(QUILLET_EMULATOR_DIR) + "/libftd2xx.so";
const Messages kNoLibrary{"Error: Can't Load ftd2xx.dll driver software -- The Search and Connect "
                          "functions will not work."};

INSTANTIATE_TEST_SUITE_P(
    Libraries, FallbackTest,
    ::testing::Values(
        FallbackCase{"libftd2xx.so", {QUILLET_PARTIAL_DRIVER}, 0, kEmulator, {}},
        FallbackCase{"libftd2xx-absent.so", {"/nonexistent/libftd2xx.so", kEmulator}, 0, kEmulator, {}},
        FallbackCase{"libftd2xx-absent.so", {"/nonexistent/libftd2xx.so"}, 1, "", kNoLibrary},
        // A fallback that loads but lacks entry points is the library the binding keeps.
        FallbackCase{"libftd2xx-absent.so", {QUILLET_PARTIAL_DRIVER, kEmulator}, 1, QUILLET_PARTIAL_DRIVER,
                     {"Error: Can't Find FT_ResetDevice"}}));

struct LocationCase {
    std::string executableFolder;
    std::string libraryFolder;
    std::vector<std::string> locations;
};

void PrintTo(const LocationCase& c, std::ostream* out)
{
    *out << c.executableFolder;
}

class LocationTest : public ::testing::TestWithParam<LocationCase> {};

TEST_P(LocationTest, LooksBesideTheExecutableInstalledAndInTheBuildFolder)
{
#if defined(_WIN32)
    // The open library and the folders searched for it exist on Linux only; Windows loads the
    // vendor's Ftd2xx.dll by name, as the tests above show with the emulator's.
    GTEST_SKIP() << "no open D2XX library on Windows";
#endif
    const LocationCase& c = GetParam();
    EXPECT_EQ(OpenDriverLocations(c.executableFolder, c.libraryFolder), c.locations);
}

INSTANTIATE_TEST_SUITE_P(
    Trees, LocationTest,
    ::testing::Values(
        // Installed by the Debian package: /usr/bin and the multiarch library folder.
        LocationCase{"/usr/bin", "lib/x86_64-linux-gnu",
                     {"/usr/lib/x86_64-linux-gnu/quillet1/libftd2xx.so", "/usr/bin/lib/quillet1/libftd2xx.so",
                      "/usr/lib/quillet1/libftd2xx.so"}},
        // The build folder: Quillet1 at its top, quillet one level down in cli/.
        LocationCase{"/src/build/run", "lib",
                     {"/src/build/lib/quillet1/libftd2xx.so", "/src/build/run/lib/quillet1/libftd2xx.so"}},
        LocationCase{"/src/build/run/cli", "lib",
                     {"/src/build/run/lib/quillet1/libftd2xx.so", "/src/build/run/cli/lib/quillet1/libftd2xx.so"}}));

// Without arguments the places are those of the running program: here the test's own folder.
TEST(LocationTest, StartsFromTheRunningProgramsFolder)
{
#if defined(_WIN32)
    GTEST_SKIP() << "no open D2XX library on Windows";
#endif
    const std::vector<std::string> locations = OpenDriverLocations();
    const std::string besideTheProgram = std::string(QUILLET_TEST_BINARY_DIR) + "/lib/quillet1/libftd2xx.so";
    EXPECT_NE(std::find(locations.begin(), locations.end(), besideTheProgram), locations.end());
}

} // namespace
