#pragma once
// The whole Program operation after the file check, in its one fixed order: a target is
// written only when the board said it is blank, or after the board erased it because
// auto-erase allows it; then the file is loaded, the configuration word made from the options
// takes the place of the file's, and the image is streamed.
#include <functional>
#include <string>
#include <string_view>

#include "image/ConfigWord.h"
#include "image/FirmwareImage.h"
#include "image/ProcessorProfile.h"
#include "ops/BlankCheck.h"
#include "ops/BulkErase.h"
#include "ops/OperationProgress.h"
#include "ops/ProgramStream.h"

class BoardLink;

// Where Program stopped. Only a run that reached the stream has a ProgramResult.
enum class ProgramStage {
    BlankCheck, // blank check failed, or the target is not blank and auto-erase is off
    Erase,      // the bulk erase failed
    Load,       // the file could not be opened for loading
    Prepare,    // the image's preparation refused to go on; nothing was written
    Stream,     // the stream ran: see `stream`
};

struct ProgramOutcome {
    ProgramStage stage = ProgramStage::BlankCheck;
    BlankCheckResult blankCheck = BLANK_CHECK_BLANK;
    EraseResult erase = ERASE_DONE;
    ProgramResult stream = PROGRAM_DONE;
    bool erased = false;            // the target was not blank and has been erased
    std::uint16_t configWord = 0;   // the word sent, once the image was loaded

    bool Succeeded() const { return stage == ProgramStage::Stream && stream == PROGRAM_DONE; }
    // A failure in the stream leaves the device open and the link not yet marked lost: the
    // caller reports, closes the device and marks the link lost, in that order.
    bool LostInStream() const { return stage == ProgramStage::Stream && stream != PROGRAM_DONE; }
};

// Called with the loaded image, its configuration word in place, just before the stream: the
// last change to what goes to this target (the command line's serial number, taken only for
// a target that passed its blank check). Non-zero stops the run at stage Prepare.
using PrepareImage = std::function<int(FirmwareImage& image)>;

// `currentOptions` is asked for the options once the image is loaded: the window reads its
// controls then, since the file check may have changed them.
ProgramOutcome ProgramFromFile(BoardLink& link, TargetProcessor processor, const std::string& hexPath,
                               bool autoErase, const std::function<ConfigOptions()>& currentOptions,
                               FirmwareImage& image, const ProgressFunction& progress,
                               const PrepareImage& prepare = {});

// The same with the file's text read beforehand: every target of a run gets the bytes that
// were checked and hashed, even if the file changes meanwhile. Stage Load is not reached.
ProgramOutcome ProgramFromText(BoardLink& link, TargetProcessor processor, std::string_view hexText,
                               bool autoErase, const std::function<ConfigOptions()>& currentOptions,
                               FirmwareImage& image, const ProgressFunction& progress,
                               const PrepareImage& prepare = {});

// The one text the outcome is reported with; empty for stage Prepare, whose caller knows why.
std::string ProgramOutcomeMessage(const ProgramOutcome& outcome, bool autoErase,
                                  const std::string& hexPath);
