#pragma once
#include <QDialog>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "image/ConfigWord.h"
#include "image/FirmwareImage.h"
#include "image/ProcessorProfile.h"
#include "link/BoardLink.h"
#include "link/D2xxBinding.h"
#include "link/LinkHost.h"

#include "app/CHelpDlg.h"
#include "app/CMemoryWindowDlg.h"
#include "app/CSplashDlg.h"
class MessageSink;
class QButtonGroup;
class QLineEdit;
class QProgressBar;

// The main window: owner of every piece of state of the program, host of one handler per
// control. Operations run to their end inside their handler, on the window's thread.
class CDownloadDlg : public QDialog, public LinkHost {
    Q_OBJECT

public:
    // Masks of SetButtonStates; bit n enables the n-th operation button (see SetButtonStates).
    static constexpr unsigned BUTTONS_NONE = 0x0000;
    static constexpr unsigned BUTTONS_IDLE = 0xF07F;
    static constexpr unsigned BUTTONS_ALL = 0xFFFF;

    // Help tint states read by the painting.
    static constexpr int HELP_TINT_NONE = 0;
    static constexpr int HELP_TINT_ON = 100;
    static constexpr int HELP_TINT_OFF = 102;

    explicit CDownloadDlg(MessageSink& messages,
                          const std::string& driverLibrary = D2xxBinding::DefaultLibraryName(),
                          QWidget* parent = nullptr);
    ~CDownloadDlg() override;

    // Moves every member between itself and its control: from the controls when
    // fromControls is true, to them otherwise. Change notifications are ignored meanwhile.
    void UpdateData(bool fromControls);
    // Enables the operation buttons the mask names, narrowed (outside help mode) by the
    // connection and the chosen HEX file.
    void SetButtonStates(unsigned mask);
    // Paints the window at once: handlers run without returning to the event loop.
    void RepaintNow();

    void ShowHelpText(const std::vector<std::string>& lines);
    void ApplyProcessorProfile(TargetProcessor processor);
    // Sets the option controls from a configuration word for the selected processor.
    void ApplyConfigWord(std::uint16_t word);

    bool IsConnected() const { return connected_; }
    bool IsHelpMode() const { return helpMode_; }
    int HelpTint() const { return helpTint_; }
    CHelpDlg* HelpDialog() const { return helpDialog_; }
    CSplashDlg* SplashDialog() const { return splash_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // A close request that arrives while a handler runs is held until the handler has ended.
    void closeEvent(QCloseEvent* event) override;
#if defined(Q_OS_WIN)
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

private:
    // Window construction (CDownloadDlgLayout.cpp).
    void CreateControls();
    void ConnectHandlers();
    // Runs a button's handler to its end. Its pauses and progress steps let the window
    // system's events through, a close request among them; that one waits for the end.
    void RunHandler(const std::function<void()>& handler);
    QWidget* Control(int id) const;
    void OnInitDialog();

    // Ending the window and the About box.
    void OnOK();
    void OnTimer();
    void OnAbout();

    // Help mode (HelpHandlers.cpp).
    void OnHelpButton();
    void OnHelpDialogClose();
    void OnHelpDialogGone();
    void OnConfigOption(int id);
    void OnEditFocus(int id);

    // Processor selection (ProcessorHandlers.cpp).
    void On16F84A();
    void On16F877();

    // Device selection (DeviceSelectionHandlers.cpp).
    void OnOpenBy(int method);
    void SaveSearchText();
    void OnSearch();

    // Board connection (ConnectionHandlers.cpp).
    void OnConnect();
    void OnWriteVersion();

public:
    // What the board link shows in the window and reads from it (ConnectionHandlers.cpp).
    void MarkNotConnected() override;
    DeviceSelection ReadSelection() override;
    void FocusSearchText() override;
    void ShowStatus(const std::string& text) override;
    void ShowRevision(const std::string& text) override;
    void TakeProcessorAnswer(ProcessorAnswer answer) override;

private:
    // HEX file and its listing (ImageHandlers.cpp).
    void OnOpen();
    void OnView();

public:
    // The title at start; a HEX file that passes Open adds its name.
    static constexpr char WINDOW_TITLE[] = "TVR-IO Download V1.0e ";

    // The Memory Window, filled by View and Read (ImageHandlers.cpp). At most one exists;
    // OpenMemoryWindow creates it, or empties the one there is.
    void OpenMemoryWindow();
    void AddMemoryLine(const std::string& line);
    void ClearMemoryWindow();
    // Paints the Memory Window at once, for operations that run without the event loop.
    void RepaintMemoryWindow();
    CMemoryWindowDlg* MemoryWindow() const { return memoryWindow_; }

    // Asks the user for a HEX file, starting from the path given; empty when cancelled.
    // Without one set, Open shows the file dialog; tests set their own.
    using HexFileChooser = std::function<QString(const QString& initialPath)>;
    void SetHexFileChooser(HexFileChooser chooser) { chooseHexFile_ = std::move(chooser); }
    const QString& HexFilePath() const { return hexFilePath_; }

private:
    QString hexFilePath_;         // chosen in Open, kept also when its check failed
    FirmwareImage firmwareImage_; // the working table of Program, Verify, View and Read
    QPointer<CMemoryWindowDlg> memoryWindow_;
    HexFileChooser chooseHexFile_;

    // Target operations (OperationHandlers.cpp).
    void OnBlankCheck();
    void OnErase();
    void OnProgram();
    void OnVerify();
    void OnRead();

    MessageSink& messages_;
    D2xxBinding driver_;
    BoardLink link_{driver_, *this, messages_};
    // The line last chosen in the Target Select Dialog; kept from one Search to the next.
    QString selectedDevice_;

    // Members exchanged with the controls by UpdateData, in transfer order.
    QString statusText_;
    QString versionText_;
    int openMethod_ = 2;
    QString hexFileName_;
    ConfigOptions options_;
    int targetProcessor_ = 0;
    bool autoErase_ = false;
    QString searchText_ = QStringLiteral("0");

    bool connected_ = false;
    bool helpMode_ = false;
    int helpTint_ = HELP_TINT_NONE;
    bool transferring_ = false; // UpdateData is running: change notifications are ignored
    int handlersRunning_ = 0;   // a handler (and so maybe an operation on the board) is under way
    bool closePending_ = false; // the window was asked to close while a handler ran

    QTimer splashTimer_;
    QPointer<CSplashDlg> splash_;
    QPointer<CHelpDlg> helpDialog_;

    QButtonGroup* openMethodGroup_ = nullptr;
    QButtonGroup* processorGroup_ = nullptr;
    QButtonGroup* codeProtectionGroup_ = nullptr;
    QProgressBar* progress_ = nullptr;
};
