// The help texts are shown verbatim, so a lost line, a trimmed trailing space or a
// collapsed double space is a visible fault. The counts catch lost or added lines (the
// empty closing lines are the easiest to drop); the exact lines catch the whitespace.
#include <gtest/gtest.h>

#include <string>

#include "help/HelpTexts.h"
#include "res/ControlIds.h"

namespace {

struct LineCount {
    int controlId;
    size_t lines;  // lines the Help Dialog lists for the control, empty lines included
};

// Every control that has help text; a control missing here would go untested.
constexpr LineCount kLineCounts[] = {
    {IDC_HELP, 2},
    {IDC_CONNECT, 13},
    {IDC_SEARCH, 9},
    {IDC_SERIAL, 13},
    {IDC_DESCRIPTION, 13},
    {IDC_DEVICE_NUMBER, 13},
    {IDC_SEARCH_TEXT, 10},
    {IDC_STATUS, 5},
    {IDC_16F84A, 6},
    {IDC_16F877, 6},
    {IDC_WRITE_VERSION, 8},
    {IDC_VERSION_TEXT, 5},
    {IDC_OPEN, 8},
    {IDC_HEX_FILE_NAME, 4},
    {IDC_VIEW, 5},
    {IDC_BLANK_CHECK, 4},
    {IDC_ERASE, 4},
    {IDC_PROGRAM, 11},
    {IDC_VERIFY, 8},
    {IDC_READ, 9},
    {IDC_WATCHDOG, 2},
    {IDC_POWER_UP_TIMER, 3},
    {IDC_BROWN_OUT, 5},
    {IDC_PROGRAM_MEM_WRITE, 6},
    {IDC_DEBUGGER, 5},
    {IDC_CP_OFF, 5},
    {IDC_CP_ALL, 6},
    {IDC_CP_1000, 6},
    {IDC_CP_1F00, 6},
    {IDC_EEPROM_PROTECT, 6},
    {IDC_AUTO_ERASE, 6},
    {IDC_EXIT, 1},
};

TEST(HelpTextsTest, EveryControlWithHelpHasItsNumberOfLines)
{
    for (const auto& expected : kLineCounts) {
        SCOPED_TRACE(expected.controlId);
        EXPECT_EQ(HelpLines(expected.controlId).size(), expected.lines);
    }
}

struct ExactLine {
    int controlId;
    size_t index;  // position in the list, 0 = first line
    const char* text;
};

constexpr ExactLine kExactLines[] = {
    // The intro that HELP puts into the dialog.
    {IDC_HELP, 0, "Click on each control for a description"},
    // Quotes that belong to the text.
    {IDC_CONNECT, 9, "change from \"Connect\" to \"Disconnect\""},
    // Closing empty lines.
    {IDC_CONNECT, 12, ""},
    {IDC_16F877, 5, ""},
    {IDC_WRITE_VERSION, 7, ""},
    // Trailing spaces.
    {IDC_SEARCH_TEXT, 4, "desired device must be connected to the "},
    {IDC_PROGRAM, 2, "of program data in the HEX file and write "},
    {IDC_PROGRAM, 8, "The Program function's progress is tracked "},
    {IDC_VERSION_TEXT, 0, "The Firmware Version edit box is where the "},
    {IDC_BROWN_OUT, 3, "datasheet for more details on this "},
    // Two spaces after a full stop.
    {IDC_SEARCH, 7, "connection.  If no devices are connected"},
    {IDC_WRITE_VERSION, 3, "storage in EEPROM memory.  The version text"},
    {IDC_ERASE, 2, "processor.  This function will work even"},
    // The stray full stop, the misspellings and our own closing line.
    {IDC_DESCRIPTION, 6, "that a description string has been written to."},
    {IDC_DEVICE_NUMBER, 9, "particlar order. If more than one device is"},
    {IDC_AUTO_ERASE, 2, "enabled, the target micontroller's"},
    {IDC_SERIAL, 12, "board maker's web site."},
    {IDC_DESCRIPTION, 12, "board maker's web site."},
    {IDC_EXIT, 0, "Program Exit."},
};

TEST(HelpTextsTest, LinesThatAreEasyToGetWrongAreExact)
{
    for (const auto& expected : kExactLines) {
        SCOPED_TRACE(testing::Message() << expected.controlId << " line " << expected.index);
        const auto& lines = HelpLines(expected.controlId);
        ASSERT_LT(expected.index, lines.size());
        EXPECT_EQ(lines[expected.index], expected.text);
    }
}

TEST(HelpTextsTest, ControlsWithoutHelpShowNothing)
{
    // The revision label, the progress bar and the lists of other windows explain nothing;
    // 0 and -1 are ids no control has.
    for (int controlId : {IDC_REVISION, IDC_PROGRESS, IDC_HELP_LIST, IDC_MEMORY_LIST,
                          IDC_TARGET_LIST, 0, -1}) {
        SCOPED_TRACE(controlId);
        EXPECT_TRUE(HelpLines(controlId).empty());
    }
}

} // namespace
