// Listing the attached boards for the Target Select Dialog (the names by either method are in
// the golden Search cases).
#include "LinkTestFixture.h"
#include "link/DeviceSelection.h"

namespace {

TEST_F(LinkTest, ListsNoMoreThanTheTableHoldsWhateverIsAttached)
{
    struct Case {
        const char* name;
        const char* configuration;
        const char* fault;
        DWORD count;
        std::size_t listed;
    };
    const Case cases[] = {
        {"no board", "[bus]\nboards = 0\n", nullptr, 0, 0},
        {"three boards", "[bus]\nboards = 3\n", nullptr, 3, 3},
        // The window lists 63 of them.
        {"sixty-four boards", "[bus]\nboards = 64\n", nullptr, 64, 63},
        // A driver that writes a name per board, as the vendor's does, stays inside the table.
        {"a hundred boards, names written past any null entry", "[bus]\nboards = 100\nfault = list-past-null\n",
         nullptr, 100, 63},
        // One more board than counted: its name still lands in a buffer of ours.
        {"a board plugged in after the count", nullptr, "board-appears", 3, 3},
        {"a board plugged in after the count, names written past any null entry",
         "[bus]\nboards = 70\nfault = list-past-null\nfault = board-appears\n", nullptr, 71, 63},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Configure(c.configuration);
        if (c.fault)
            Inject(c.fault);
        DWORD count = 0;
        std::vector<std::string> names;
        EXPECT_EQ(ListDeviceNames(driver, OPEN_BY_SERIAL_NUMBER, count, names), DEVICE_LIST_OK);
        EXPECT_EQ(count, c.count);
        EXPECT_EQ(names.size(), c.listed);
    }
}

TEST_F(LinkTest, TellsAFailedCountFromAFailedList)
{
    DWORD count = 0;
    std::vector<std::string> names;
    Inject("count-fails");
    EXPECT_EQ(ListDeviceNames(driver, OPEN_BY_SERIAL_NUMBER, count, names), DEVICE_LIST_COUNT_FAILED);
    EmuClearFaults();
    Inject("list-fails");
    EXPECT_EQ(ListDeviceNames(driver, OPEN_BY_SERIAL_NUMBER, count, names), DEVICE_LIST_FAILED);
    EXPECT_TRUE(names.empty());
}

} // namespace
