#include "ops/ProgramOperation.h"

#include "image/HexFile.h"
#include "ops/OperationMessages.h"

namespace {

ProgramOutcome ProgramLoaded(BoardLink& link, TargetProcessor processor,
                             const std::function<bool(FirmwareImage&)>& load, bool autoErase,
                             const std::function<ConfigOptions()>& currentOptions, FirmwareImage& image,
                             const ProgressFunction& progress, const PrepareImage& prepare)
{
    ProgramOutcome outcome;
    // A failed blank check or erase has closed the device and, but for a target that is
    // merely not blank, marked the link lost already.
    outcome.blankCheck = BlankCheck(link, processor);
    if (outcome.blankCheck != BLANK_CHECK_BLANK) {
        if (outcome.blankCheck != BLANK_CHECK_NOT_BLANK || !autoErase)
            return outcome;
        outcome.stage = ProgramStage::Erase;
        outcome.erase = BulkErase(link, processor);
        if (outcome.erase != ERASE_DONE)
            return outcome;
        outcome.erased = true;
    }

    outcome.stage = ProgramStage::Load;
    if (!load(image))
        return outcome;
    // The options decide the configuration word, not the file.
    outcome.configWord = BuildConfigWord(processor, currentOptions());
    image.Set(CONFIG_WORD_ADDRESS, outcome.configWord);
    outcome.stage = ProgramStage::Prepare;
    if (prepare && prepare(image) != 0)
        return outcome;

    outcome.stage = ProgramStage::Stream;
    outcome.stream = ProgramTarget(link, processor, image, progress);
    return outcome;
}

} // namespace

ProgramOutcome ProgramFromFile(BoardLink& link, TargetProcessor processor, const std::string& hexPath,
                               bool autoErase, const std::function<ConfigOptions()>& currentOptions,
                               FirmwareImage& image, const ProgressFunction& progress,
                               const PrepareImage& prepare)
{
    const auto load = [&hexPath](FirmwareImage& loaded) {
        return LoadHexImage(hexPath, HexLoadMode::Programming, loaded);
    };
    return ProgramLoaded(link, processor, load, autoErase, currentOptions, image, progress, prepare);
}

ProgramOutcome ProgramFromText(BoardLink& link, TargetProcessor processor, std::string_view hexText,
                               bool autoErase, const std::function<ConfigOptions()>& currentOptions,
                               FirmwareImage& image, const ProgressFunction& progress,
                               const PrepareImage& prepare)
{
    const auto load = [hexText](FirmwareImage& loaded) {
        LoadHexText(hexText, HexLoadMode::Programming, loaded);
        return true;
    };
    return ProgramLoaded(link, processor, load, autoErase, currentOptions, image, progress, prepare);
}

std::string ProgramOutcomeMessage(const ProgramOutcome& outcome, bool autoErase,
                                  const std::string& hexPath)
{
    const char* text = nullptr;
    switch (outcome.stage) {
    case ProgramStage::BlankCheck: text = ProgramBlankCheckMessage(outcome.blankCheck, autoErase); break;
    case ProgramStage::Erase: text = ProgramEraseMessage(outcome.erase); break;
    case ProgramStage::Load: return HexFileNotOpenedMessage(hexPath);
    case ProgramStage::Prepare: break;
    case ProgramStage::Stream: text = ProgramStreamMessage(outcome.stream); break;
    }
    return text ? text : "";
}
