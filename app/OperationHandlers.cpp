// The target operations: Blank Check, Erase, Program, Verify and Read. Each runs to its end
// inside its handler, with every operation button disabled, and reports one outcome.
#include <QApplication>
#include <QFile>
#include <QProgressBar>
#include <memory>

#include "app/CDownloadDlg.h"
#include "app/KeepPainted.h"
#include "help/HelpTexts.h"
#include "image/HexFile.h"
#include "image/MemoryListing.h"
#include "link/CommandSet.h"
#include "link/D2xxBinding.h"
#include "link/MessageSink.h"
#include "link/Pause.h"
#include "ops/BlankCheck.h"
#include "ops/BulkErase.h"
#include "ops/OperationMessages.h"
#include "ops/ProgramOperation.h"
#include "ops/ProgramStream.h"
#include "ops/ReadStream.h"
#include "ops/VerifyCompare.h"
#include "res/ControlIds.h"

namespace {

constexpr char kReadingLine[] = "Reading...";
constexpr int kProgressMaximum = 100;

// The wait cursor for the life of an operation.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// A message box is the user's turn: the wait cursor is lifted while it waits, and comes back
// for the rest of the operation.
void Tell(MessageSink& messages, const std::string& text)
{
    QApplication::restoreOverrideCursor();
    messages.ShowMessage(text);
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

// The core opens files by the bytes the file system uses for their names.
std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// Moves the bar before a program-memory block and paints the window at once: no message is
// processed while the stream runs. A bar that did not move needs no paint.
ProgressFunction ProgressOn(QProgressBar* bar, CDownloadDlg& window)
{
    return [bar, &window](int position) {
        if (bar->value() == position)
            return;
        bar->setValue(position);
        window.RepaintNow();
        KeepWindowsPainted();
    };
}

} // namespace

void CDownloadDlg::OnBlankCheck()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_BLANK_CHECK));
        return;
    }
    WaitCursor wait;
    SetButtonStates(BUTTONS_NONE);
    UpdateData(true);
    const BlankCheckResult result = BlankCheck(link_, ProcessorFromIndex(targetProcessor_));
    Tell(messages_, BlankCheckMessage(result));
    SetButtonStates(BUTTONS_ALL);
}

void CDownloadDlg::OnErase()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_ERASE));
        return;
    }
    WaitCursor wait;
    SetButtonStates(BUTTONS_NONE);
    UpdateData(true);
    const EraseResult result = BulkErase(link_, ProcessorFromIndex(targetProcessor_));
    Tell(messages_, EraseMessage(result));
    SetButtonStates(BUTTONS_ALL);
}

void CDownloadDlg::OnProgram()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_PROGRAM));
        return;
    }
    UpdateData(true);
    WaitCursor wait;
    SetButtonStates(BUTTONS_NONE);
    UpdateData(true);
    const TargetProcessor processor = ProcessorFromIndex(targetProcessor_);

    progress_->setRange(0, kProgressMaximum);
    progress_->setValue(0);
    UpdateData(false);
    RepaintNow();

    // Before anything is sent: the file must still be sound and fit the processor. Its
    // configuration record sets the option controls.
    const std::string path = LocalPath(hexFilePath_);
    const HexCheckResult check =
        CheckHexFile(path, processor, [this](std::uint16_t word) { ApplyConfigWord(word); });
    if (check != HEX_FILE_OK) {
        Tell(messages_, HexCheckMessage(check));
        SetButtonStates(BUTTONS_ALL);
        return;
    }

    const ProgramOutcome outcome = ProgramFromFile(
        link_, processor, path, autoErase_,
        [this] {
            // The file check may have set the options; the controls decide the word.
            UpdateData(true);
            return options_;
        },
        firmwareImage_, ProgressOn(progress_, *this));
    Tell(messages_, ProgramOutcomeMessage(outcome, autoErase_, hexFilePath_.toStdString()));
    if (outcome.LostInStream()) {
        link_.Driver().Close();
        SetButtonStates(BUTTONS_ALL);
        MarkNotConnected();
        return;
    }
    // After success the device stays open; the next command's exchange closes it.
    SetButtonStates(BUTTONS_ALL);
}

void CDownloadDlg::OnVerify()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_VERIFY));
        return;
    }
    SetButtonStates(BUTTONS_NONE);
    WaitCursor wait;
    UpdateData(true);
    Pause(PAUSE_AROUND_READ_MS);
    UpdateData(true);
    const TargetProcessor processor = ProcessorFromIndex(targetProcessor_);

    // The whole target first, into a buffer of Verify's own: the working image is loaded
    // from the file only once the board has been read.
    const auto target = std::make_unique<FirmwareImage>();
    const ReadResult read =
        ReadTarget(link_, processor, *target, ProgressOn(progress_, *this), PAUSE_AROUND_READ_MS);
    if (read != READ_DONE) {
        Tell(messages_, VerifyReadMessage(read));
        link_.Driver().Close();
        SetButtonStates(BUTTONS_ALL);
        MarkNotConnected();
        return;
    }
    if (!LoadHexImage(LocalPath(hexFilePath_), HexLoadMode::Programming, firmwareImage_)) {
        Tell(messages_, HexFileNotOpenedMessage(hexFilePath_.toStdString()));
        link_.Driver().Close();
        SetButtonStates(BUTTONS_ALL);
        MarkNotConnected();
        return;
    }
    link_.Driver().Close();

    // A difference is a normal outcome: the link stays connected.
    UpdateData(true);
    Tell(messages_, VerifyMessage(CompareWithTarget(firmwareImage_, *target, processor, options_)));
    SetButtonStates(BUTTONS_ALL);
}

void CDownloadDlg::OnRead()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_READ));
        return;
    }
    QWidget* readButton = Control(IDC_READ);
    readButton->setEnabled(false);
    SetButtonStates(BUTTONS_NONE);
    WaitCursor wait;
    progress_->setRange(0, kProgressMaximum);
    progress_->setValue(0);

    OpenMemoryWindow();
    AddMemoryLine(kReadingLine);
    RepaintMemoryWindow();
    Pause(PAUSE_AROUND_READ_MS);
    UpdateData(true);
    const TargetProcessor processor = ProcessorFromIndex(targetProcessor_);

    // What arrives goes straight into the working image; a failure leaves what came before.
    const ReadResult read = ReadTarget(link_, processor, firmwareImage_, ProgressOn(progress_, *this));
    if (read != READ_DONE) {
        Tell(messages_, ReadStreamMessage(read));
        link_.Driver().Close();
        readButton->setEnabled(true);
        SetButtonStates(BUTTONS_ALL);
        MarkNotConnected();
        return;
    }
    link_.Driver().Close();

    ApplyConfigWord(static_cast<std::uint16_t>(firmwareImage_.Get(CONFIG_WORD_ADDRESS)));
    ClearMemoryWindow();
    RepaintMemoryWindow();
    for (const std::string& line : ReadListing(firmwareImage_, processor))
        AddMemoryLine(line);
    RepaintMemoryWindow();
    readButton->setEnabled(true);
    SetButtonStates(BUTTONS_ALL);
}
