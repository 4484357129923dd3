// The commands that show memories: read (the target's) and view (a HEX file's).
#include <cerrno>
#include <system_error>
#include <fstream>
#include <memory>
#include <string>

#include "cli/BoardSession.h"
#include "cli/Commands.h"
#include "cli/production/BoardRun.h"
#include "cli/ConfigSwitches.h"
#include "cli/Reporter.h"
#include "image/ConfigWord.h"
#include "image/FirmwareImage.h"
#include "image/HexFile.h"
#include "image/HexFileWriter.h"
#include "image/MemoryListing.h"
#include "link/CommandSet.h"
#include "link/Pause.h"
#include "ops/OperationMessages.h"
#include "ops/ReadStream.h"

namespace {

void ReportListing(Reporter& reporter, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) {
        reporter.Print(line);
        reporter.Emit(JsonLine().Add("type", "listing").Add("text", line));
    }
}

// Empty when written; otherwise why not.
std::string WriteTextFile(const std::string& path, const std::string& text)
{
    errno = 0;
    // Lines end as the system's own tools end them: CR LF on Windows, LF elsewhere. The HEX
    // reader takes either, so a file moves between the two unchanged in meaning.
#if defined(_WIN32)
    std::ofstream file(path, std::ios::trunc);
#else
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
#endif
    if (file)
        file << text;
    if (file)
        file.close();
    if (file)
        return {};
    // Read runs on several boards at once: strerror could give one thread another's text.
    return errno != 0 ? std::generic_category().message(errno) : "write failed";
}

} // namespace

int RunRead(const Invocation& invocation, Reporter& reporter)
{
    // Several listings in one stream would be hard to tell apart; each board gets a file.
    if (SeveralBoards(invocation) && invocation.output.empty())
        return reporter.Finish({EXIT_USAGE, "Reading several boards needs -o FILE; each board's file gets its "
                                            "serial number before the extension."});
    return RunOnBoards(invocation, reporter, [&](BoardSession& session, Reporter& reporter, BoardResult& result) -> Outcome {
        const TargetProcessor processor = session.Processor();
        Pause(PAUSE_AROUND_READ_MS);
        auto target = std::make_unique<FirmwareImage>();
        const ReadResult read =
            ReadTarget(session.Link(), processor, *target, reporter.Progress("read", "Reading"));
        if (read != READ_DONE) {
            session.Driver().Close();
            session.MarkNotConnected();
            return {EXIT_NO_BOARD, ReadStreamMessage(read), session.StreamCutHint()};
        }
        session.Driver().Close();

        // What the window's option controls show after a Read.
        const auto word = static_cast<std::uint16_t>(target->Get(CONFIG_WORD_ADDRESS));
        ConfigOptions options;
        ApplyConfigWord(processor, word, options);
        result.fields.Add("config_word", static_cast<int>(word)).Add("options", DescribeOptions(processor, options));

        if (invocation.output.empty()) {
            ReportListing(reporter, ReadListing(*target, processor));
            reporter.Print("Configuration options: " + DescribeOptions(processor, options));
            return {};
        }
        const std::string output =
            result.fileTag.empty() ? invocation.output : BoardOutputPath(invocation.output, result.fileTag);
        if (const std::string failure = WriteTextFile(output, TargetHexText(*target, processor)); !failure.empty())
            return {EXIT_OUTPUT_FILE, "Could not write " + output + ": " + failure};
        result.fields.Add("output", output);
        return {EXIT_OK, std::string("Read the ") + GetProcessorProfile(processor).name + " into " + output + "."};
    });
}

int RunView(const Invocation& invocation, Reporter& reporter)
{
    // Without a board to name the processor, the size is held against the larger one.
    const TargetProcessor processor = invocation.processor.value_or(TargetProcessor::PIC16F877);
    const HexCheckResult result = CheckHexFile(invocation.file, processor, nullptr);
    if (result != HEX_FILE_OK)
        return reporter.Finish({EXIT_HEX_FILE, invocation.file + ": " + HexCheckMessage(result)});
    auto image = std::make_unique<FirmwareImage>();
    if (!LoadHexImage(invocation.file, HexLoadMode::Listing, *image))
        return reporter.Finish({EXIT_HEX_FILE, invocation.file + ": " + HexCheckMessage(HEX_CANNOT_OPEN)});
    ReportListing(reporter, ViewListing(*image));
    return reporter.Finish({});
}
