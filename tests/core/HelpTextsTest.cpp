// The help texts are shown verbatim, so a lost closing empty line, a trimmed trailing space
// or a collapsed double space is a visible fault. They are compared whole with the golden
// file, which was written from the original texts and not from this program.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "help/HelpTexts.h"
#include "support/GoldenFile.h"
#include "res/ControlIds.h"

namespace {

// tests/data/golden/help.txt: "control ID NAME", then its lines, each ending in "|".
std::map<int, std::vector<std::string>> GoldenHelp()
{
    std::map<int, std::vector<std::string>> texts;
    std::vector<std::string>* lines = nullptr;
    ForEachGoldenLine("help.txt", [&](const std::string& line) {
        if (line.rfind("control ", 0) == 0)
            return void(lines = &texts[std::stoi(line.substr(8))]);
        EXPECT_TRUE(lines && line.back() == '|') << "a line without a control or without its |: " << line;
        if (lines)
            lines->push_back(line.substr(0, line.size() - 1));
    });
    return texts;
}

TEST(HelpTextsTest, EveryControlShowsItsGoldenTextWhole)
{
    const auto golden = GoldenHelp();
    ASSERT_EQ(golden.size(), 32u); // every control that has a help text
    for (const auto& [controlId, expected] : golden) {
        const std::vector<std::string>& lines = HelpLines(controlId);
        for (std::size_t i = 0; i < std::max(lines.size(), expected.size()); ++i) {
            const std::string shown = i < lines.size() ? "\"" + lines[i] + "\"" : "nothing";
            const std::string wanted = i < expected.size() ? "\"" + expected[i] + "\"" : "nothing";
            if (shown != wanted) {
                ADD_FAILURE() << "control " << controlId << " line " << i + 1 << ": " << shown << ", golden "
                              << wanted;
                break;
            }
        }
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
