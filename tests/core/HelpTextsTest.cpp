// The help texts are shown verbatim, so a lost closing empty line, a trimmed trailing space
// or a collapsed double space is a visible fault. The window's help-mode test counts the
// lines of a few controls as a user sees them; these pin the lines easiest to get wrong.
#include <gtest/gtest.h>

#include <string>

#include "help/HelpTexts.h"
#include "res/ControlIds.h"

namespace {

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
