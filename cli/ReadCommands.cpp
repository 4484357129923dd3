// The commands that show memories: read (the target's) and view (a HEX file's).
#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "cli/BoardSession.h"
#include "cli/Commands.h"
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
    return errno != 0 ? std::strerror(errno) : "write failed";
}

} // namespace

int RunRead(const Invocation& invocation, Reporter& reporter)
{
    return RunOnBoard(invocation, reporter, [&](BoardSession& session, JsonLine& fields) -> Outcome {
        const TargetProcessor processor = session.Processor();
        Pause(PAUSE_AROUND_READ_MS);
        auto target = std::make_unique<FirmwareImage>();
        const ReadResult read =
            ReadTarget(session.Link(), processor, *target, reporter.Progress("read", "Reading"));
        if (read != READ_DONE) {
            session.Driver().Close();
            session.MarkNotConnected();
            return {EXIT_NO_BOARD, ReadStreamMessage(read)};
        }
        session.Driver().Close();

        // What the window's option controls show after a Read.
        const auto word = static_cast<std::uint16_t>(target->Get(CONFIG_WORD_ADDRESS));
        ConfigOptions options;
        ApplyConfigWord(processor, word, options);
        fields.Add("config_word", static_cast<int>(word)).Add("options", DescribeOptions(processor, options));

        if (invocation.output.empty()) {
            ReportListing(reporter, ReadListing(*target, processor));
            reporter.Print("Configuration options: " + DescribeOptions(processor, options));
            return {};
        }
        if (const std::string failure = WriteTextFile(invocation.output, TargetHexText(*target, processor));
            !failure.empty())
            return {EXIT_OUTPUT_FILE, "Could not write " + invocation.output + ": " + failure};
        fields.Add("output", invocation.output);
        return {EXIT_OK, std::string("Read the ") + GetProcessorProfile(processor).name + " into " +
                             invocation.output + "."};
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
