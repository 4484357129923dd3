// The HEX file: Open chooses and checks it, View lists it in the Memory Window, which Read
// fills as well.
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include "app/CDownloadDlg.h"
#include "app/CMemoryWindowDlg.h"
#include "app/SettingsProfile.h"
#include "help/HelpTexts.h"
#include "image/HexFile.h"
#include "image/MemoryListing.h"
#include "link/MessageSink.h"
#include "res/ControlIds.h"

namespace {

#if defined(Q_OS_WIN)
constexpr char kAllFilesFilter[] = "All Files (*.*)";
#else
// "*.*" would hide every name without a dot here, which "All Files" must not.
constexpr char kAllFilesFilter[] = "All Files (*)";
#endif

// The file dialog of Open, starting at the file chosen last.
QString RunHexFileDialog(QWidget* owner, const QString& initialPath)
{
    QFileDialog dialog(owner, QStringLiteral("Select a HEX file."));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("HEX Files (*.hex)"), QString::fromLatin1(kAllFilesFilter)});
    dialog.setDefaultSuffix(QStringLiteral("hex"));
    if (!initialPath.isEmpty())
        dialog.selectFile(initialPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

// The core opens files by the bytes the file system uses for their names.
std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace

void CDownloadDlg::OnOpen()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_OPEN));
        return;
    }
    SetButtonStates(BUTTONS_NONE);
    hexFilePath_ = SettingsProfile::ReadText(SettingsProfile::kKeyHexFilePath, QString());
    const QString chosen =
        chooseHexFile_ ? chooseHexFile_(hexFilePath_) : RunHexFileDialog(this, hexFilePath_);
    if (!chosen.isEmpty()) {
        hexFilePath_ = QFileInfo(chosen).absoluteFilePath();
        SettingsProfile::WriteText(SettingsProfile::kKeyHexFilePath, hexFilePath_);

        // The name stands in the window while the file is checked.
        UpdateData(true);
        hexFileName_ = hexFilePath_;
        UpdateData(false);
        RepaintNow();

        const HexCheckResult result =
            CheckHexFile(LocalPath(hexFilePath_), ProcessorFromIndex(targetProcessor_),
                         [this](std::uint16_t word) { ApplyConfigWord(word); });
        if (result == HEX_FILE_OK) {
            setWindowTitle(QString::fromLatin1(WINDOW_TITLE) + QFileInfo(hexFilePath_).fileName());
        } else {
            // The path stays chosen and remembered; only the edit box tells that it failed,
            // and with it go Program, Verify and View.
            hexFileName_.clear();
            UpdateData(false);
            RepaintNow();
            messages_.ShowMessage(HexCheckMessage(result));
        }
    }
    SetButtonStates(BUTTONS_ALL);
}

void CDownloadDlg::OnView()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_VIEW));
        return;
    }
    SetButtonStates(BUTTONS_NONE);
    // A path of a single character names no file.
    if (hexFilePath_.size() >= 2) {
        OpenMemoryWindow();
        // A file that cannot be read leaves the window empty, without a message.
        if (LoadHexImage(LocalPath(hexFilePath_), HexLoadMode::Listing, firmwareImage_)) {
            for (const std::string& line : ViewListing(firmwareImage_))
                AddMemoryLine(line);
        }
    }
    SetButtonStates(BUTTONS_ALL);
}

void CDownloadDlg::OpenMemoryWindow()
{
    if (memoryWindow_) {
        memoryWindow_->Clear();
        return;
    }
    memoryWindow_ = new CMemoryWindowDlg(this);
    // Closing releases the window; the next View or Read opens a new one. The window's
    // destruction alone emits nothing here, so this never runs in a dying main window.
    connect(memoryWindow_, &QDialog::finished, this, [this] { memoryWindow_ = nullptr; });
    memoryWindow_->ShowNow();
}

void CDownloadDlg::AddMemoryLine(const std::string& line)
{
    if (memoryWindow_)
        memoryWindow_->AddLine(QString::fromStdString(line));
}

void CDownloadDlg::ClearMemoryWindow()
{
    if (memoryWindow_)
        memoryWindow_->Clear();
}

void CDownloadDlg::RepaintMemoryWindow()
{
    if (memoryWindow_)
        memoryWindow_->RepaintNow();
}
