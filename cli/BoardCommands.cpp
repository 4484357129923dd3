// The commands about the board itself: list, info, blank-check, erase, write-version.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/BoardSession.h"
#include "cli/Commands.h"
#include "cli/production/BoardList.h"
#include "cli/production/BoardRun.h"
#include "cli/Reporter.h"
#include "cli/Utf8.h"
#include "link/CommandSet.h"
#include "link/Connection.h"
#include "link/DeviceSelection.h"
#include "ops/BlankCheck.h"
#include "ops/BulkErase.h"
#include "ops/OperationMessages.h"

namespace {

const char* Name(TargetProcessor processor)
{
    return GetProcessorProfile(processor).name;
}

} // namespace

int RunList(const Invocation& invocation, Reporter& reporter)
{
    BoardSession session(reporter, invocation.selection, invocation.processor);
    if (Outcome loaded = session.LoadDriver(); loaded.exitCode != EXIT_OK)
        return reporter.Finish(loaded);
    std::vector<BoardIdentity> boards;
    if (Outcome listed = ListBoards(session.Driver(), boards); listed.exitCode != EXIT_OK)
        return reporter.Finish(listed);
    reporter.Print(std::to_string(boards.size()) + " device(s) attached:");
    for (const BoardIdentity& board : boards) {
        const std::string serial = Latin1ToUtf8(board.serial);
        const std::string description = Latin1ToUtf8(board.description);
        char row[160];
        std::snprintf(row, sizeof row, "%-4d %-20s %s", board.device, serial.c_str(), description.c_str());
        reporter.Print(row);
        reporter.Emit(JsonLine()
                          .Add("type", "device")
                          .Add("device", board.device)
                          .Add("serial", serial)
                          .Add("description", description));
    }
    return reporter.Finish({EXIT_OK, ""}, JsonLine().Add("devices", static_cast<long long>(boards.size())));
}

int RunInfo(const Invocation& invocation, Reporter& reporter)
{
    return RunOnBoards(invocation, reporter, [&](BoardSession& session, Reporter& reporter, BoardResult& result) -> Outcome {
        const char* source = session.ProcessorSource();
        std::string processor = Name(session.Processor());
        if (session.BoardProcessor() && *session.BoardProcessor() != session.Processor())
            processor += std::string(" (--processor; the board reports a ") + Name(*session.BoardProcessor()) + ")";
        else
            processor += std::string(" (") + source + ")";
        const std::string revision = Latin1ToUtf8(session.Revision());
        const std::string version = Latin1ToUtf8(session.Status());
        reporter.Print("Revision:  " + revision);
        reporter.Print("Version:   " + version);
        reporter.Print("Processor: " + processor);
        // Which library answered: the vendor's, the open one or an emulator.
        const std::string driver = session.Driver().LoadedPath();
        reporter.Print("Driver:    " + driver);
        result.fields.Add("revision", revision)
            .Add("version", version)
            .Add("processor_source", source)
            .Add("driver", driver);
        if (session.BoardProcessor())
            result.fields.Add("board_processor", Name(*session.BoardProcessor()));
        return {};
    });
}

int RunBlankCheck(const Invocation& invocation, Reporter& reporter)
{
    return RunOnBoards(invocation, reporter, [&](BoardSession& session, Reporter&, BoardResult& result) -> Outcome {
        const BlankCheckResult answer = BlankCheck(session.Link(), session.Processor());
        switch (answer) {
        case BLANK_CHECK_BLANK:
            result.fields.Add("blank", true);
            return {EXIT_OK, BlankCheckMessage(answer)};
        case BLANK_CHECK_NOT_BLANK:
            result.fields.Add("blank", false);
            return {EXIT_NOT_BLANK, BlankCheckMessage(answer)};
        default:
            return {EXIT_NO_BOARD, BlankCheckMessage(answer)};
        }
    });
}

int RunErase(const Invocation& invocation, Reporter& reporter)
{
    return RunOnBoards(invocation, reporter, [&](BoardSession& session, Reporter&, BoardResult&) -> Outcome {
        const EraseResult result = BulkErase(session.Link(), session.Processor());
        switch (result) {
        case ERASE_DONE: return {EXIT_OK, EraseMessage(result)};
        // The board answered, and said the erase did not work: not a link failure.
        case ERASE_WRONG_ANSWER: return {EXIT_ERASE_FAILED, EraseMessage(result)};
        default: return {EXIT_NO_BOARD, EraseMessage(result)};
        }
    });
}

int RunWriteVersion(const Invocation& invocation, Reporter& reporter)
{
    const std::u16string text = DecodeTypedText(invocation.versionText);
    if (text.size() > static_cast<std::size_t>(VERSION_TEXT_LENGTH))
        return reporter.Finish({EXIT_USAGE, "The version text holds " + std::to_string(text.size()) +
                                                " characters; the board stores at most " +
                                                std::to_string(VERSION_TEXT_LENGTH) + "."});
    return RunOnBoards(invocation, reporter, [&](BoardSession& session, Reporter&, BoardResult&) -> Outcome {
        // WriteVersion has shown what happened in the window's words.
        if (WriteVersion(session.Link(), text) != 0)
            return {EXIT_NO_BOARD, "The version text was not stored.", session.StreamCutHint()};
        return {EXIT_OK, "Version write complete."};
    });
}
