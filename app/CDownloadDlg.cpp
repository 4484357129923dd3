#include "app/CDownloadDlg.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>

#include "app/CAboutBoxDlg.h"
#include "app/ClickingAccessibleButton.h"
#include "app/CHelpDlg.h"
#include "app/CSplashDlg.h"
#include "app/SettingsProfile.h"
#include "help/HelpTexts.h"
#include "res/ControlIds.h"

#if defined(Q_OS_WIN)
#include "app/SystemMenu.h"
#endif

namespace {

constexpr char kAboutMenuText[] = "&About Quillet1...";
constexpr int kSplashMilliseconds = 2300;
constexpr int kVersionTextLength = 16; // characters the board stores
const QColor kHelpTintColour(190, 200, 190);

// The operation buttons by their bit in a SetButtonStates mask.
struct MaskBit {
    unsigned bit;
    int id;
};
constexpr MaskBit kButtonBits[] = {
    {0x0001, IDC_SEARCH},  {0x0002, IDC_CONNECT},     {0x0004, IDC_WRITE_VERSION},
    {0x0008, IDC_OPEN},    {0x0020, IDC_VIEW},        {0x0080, IDC_BLANK_CHECK},
    {0x0100, IDC_ERASE},   {0x0200, IDC_PROGRAM},     {0x0400, IDC_VERIFY},
    {0x0800, IDC_READ},    {0x1000, IDC_EXIT},
};

// Options that only the 16F877 has; disabled at start, when the 16F84A is selected.
constexpr int kExtendedOptionIds[] = {IDC_BROWN_OUT,      IDC_CP_1000,           IDC_CP_1F00,
                                      IDC_EEPROM_PROTECT, IDC_PROGRAM_MEM_WRITE, IDC_DEBUGGER};

constexpr int kFocusHelpEditIds[] = {IDC_STATUS, IDC_VERSION_TEXT, IDC_HEX_FILE_NAME,
                                     IDC_SEARCH_TEXT};

void SetCheckedIndex(QButtonGroup* group, int index)
{
    // A value outside the group leaves no button checked, which an exclusive group forbids.
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons())
        button->setChecked(group->id(button) == index);
    group->setExclusive(true);
}

// Sets an edit box's text only when it differs, so that a transfer after each keystroke
// leaves the caret where the user is typing.
void SetEditText(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text)
        edit->setText(text);
}

} // namespace

// The pictures are compiled into the window library, a static library, whose resources must
// be registered explicitly; outside any namespace, as the macro requires.
static void RegisterResources()
{
    Q_INIT_RESOURCE(resources);
}

CDownloadDlg::CDownloadDlg(MessageSink& messages, const std::string& driverLibrary,
                           QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      messages_(messages), driver_(messages, driverLibrary)
{
    InstallClickingAccessibleButtons();
    RegisterResources();
    CreateControls();
    ConnectHandlers();
    UpdateData(false);
    OnInitDialog();
}

CDownloadDlg::~CDownloadDlg()
{
    // Owned windows go with the main window; the help dialog must not call back into a
    // window that is being destroyed.
    if (helpDialog_)
        helpDialog_->disconnect(this);
}

void CDownloadDlg::OnInitDialog()
{
    setWindowIcon(QIcon(QStringLiteral(":/icon128.png")));
#if defined(Q_OS_WIN)
    AddAboutToSystemMenu(*this, L"&About Quillet1...");
#endif
    // Place the window now, so that the splash can be placed relative to it before either
    // is shown.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    splashTimer_.setInterval(kSplashMilliseconds);
    connect(&splashTimer_, &QTimer::timeout, this, &CDownloadDlg::OnTimer);
    splashTimer_.start();
    splash_ = new CSplashDlg(this);
    splash_->show();

    driver_.LoadDriver();
    helpMode_ = false;
    openMethod_ = SettingsProfile::ReadInteger(SettingsProfile::kKeyOpenMethod, 2);
    if (const char* key = SettingsProfile::SearchTextKey(openMethod_))
        searchText_ = SettingsProfile::ReadText(key, SettingsProfile::SearchTextDefault(openMethod_));
    SetButtonStates(BUTTONS_IDLE);
    UpdateData(false);
    setWindowTitle(QString::fromLatin1(WINDOW_TITLE));
    for (const int id : kExtendedOptionIds)
        Control(id)->setEnabled(false);
    Control(IDC_WRITE_VERSION)->setEnabled(false);
    static_cast<QLabel*>(Control(IDC_REVISION))->setText(QStringLiteral("VER"));
}

void CDownloadDlg::ConnectHandlers()
{
    const auto onClick = [this](int id, void (CDownloadDlg::*handler)()) {
        connect(static_cast<QAbstractButton*>(Control(id)), &QAbstractButton::clicked, this,
                [this, handler] { RunHandler([this, handler] { (this->*handler)(); }); });
    };
    onClick(IDC_EXIT, &CDownloadDlg::OnOK);
    onClick(IDC_HELP, &CDownloadDlg::OnHelpButton);
    onClick(IDC_16F84A, &CDownloadDlg::On16F84A);
    onClick(IDC_16F877, &CDownloadDlg::On16F877);
    onClick(IDC_SEARCH, &CDownloadDlg::OnSearch);
    onClick(IDC_CONNECT, &CDownloadDlg::OnConnect);
    onClick(IDC_WRITE_VERSION, &CDownloadDlg::OnWriteVersion);
    onClick(IDC_OPEN, &CDownloadDlg::OnOpen);
    onClick(IDC_VIEW, &CDownloadDlg::OnView);
    onClick(IDC_BLANK_CHECK, &CDownloadDlg::OnBlankCheck);
    onClick(IDC_ERASE, &CDownloadDlg::OnErase);
    onClick(IDC_PROGRAM, &CDownloadDlg::OnProgram);
    onClick(IDC_VERIFY, &CDownloadDlg::OnVerify);
    onClick(IDC_READ, &CDownloadDlg::OnRead);

    const int openByIds[] = {IDC_SERIAL, IDC_DESCRIPTION, IDC_DEVICE_NUMBER};
    for (int method = 0; method < 3; ++method) {
        connect(static_cast<QAbstractButton*>(Control(openByIds[method])), &QAbstractButton::clicked,
                this, [this, method] { RunHandler([this, method] { OnOpenBy(method); }); });
    }
    const int optionIds[] = {IDC_WATCHDOG, IDC_POWER_UP_TIMER, IDC_BROWN_OUT, IDC_PROGRAM_MEM_WRITE,
                             IDC_AUTO_ERASE, IDC_CP_OFF, IDC_CP_ALL, IDC_CP_1000, IDC_CP_1F00,
                             IDC_EEPROM_PROTECT, IDC_DEBUGGER};
    for (const int id : optionIds) {
        connect(static_cast<QAbstractButton*>(Control(id)), &QAbstractButton::clicked, this,
                [this, id] { RunHandler([this, id] { OnConfigOption(id); }); });
    }
    for (const int id : kFocusHelpEditIds)
        Control(id)->installEventFilter(this);
    connect(static_cast<QLineEdit*>(Control(IDC_SEARCH_TEXT)), &QLineEdit::textChanged, this,
            [this] {
                if (!transferring_)
                    SaveSearchText();
            });
}

void CDownloadDlg::RunHandler(const std::function<void()>& handler)
{
    ++handlersRunning_;
    handler();
    if (--handlersRunning_ > 0 || !closePending_)
        return;
    // Closed from the event loop, after the handler has returned, as if asked just now.
    closePending_ = false;
    QTimer::singleShot(0, this, &QWidget::close);
}

void CDownloadDlg::closeEvent(QCloseEvent* event)
{
    // Half a program stream leaves the chip in no known state, and a half-done Connect a
    // board in download mode: nothing may end the window in the middle of one.
    if (handlersRunning_ > 0) {
        closePending_ = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CDownloadDlg::UpdateData(bool fromControls)
{
    auto* status = static_cast<QLineEdit*>(Control(IDC_STATUS));
    auto* version = static_cast<QLineEdit*>(Control(IDC_VERSION_TEXT));
    auto* hexFile = static_cast<QLineEdit*>(Control(IDC_HEX_FILE_NAME));
    auto* search = static_cast<QLineEdit*>(Control(IDC_SEARCH_TEXT));
    const auto box = [this](int id) { return static_cast<QCheckBox*>(Control(id)); };

    transferring_ = true;
    if (fromControls) {
        statusText_ = status->text();
        versionText_ = version->text();
        openMethod_ = openMethodGroup_->checkedId();
        hexFileName_ = hexFile->text();
        options_.codeProtection = codeProtectionGroup_->checkedId();
        options_.watchdogTimer = box(IDC_WATCHDOG)->isChecked();
        options_.powerUpTimer = box(IDC_POWER_UP_TIMER)->isChecked();
        targetProcessor_ = processorGroup_->checkedId();
        options_.brownOutReset = box(IDC_BROWN_OUT)->isChecked();
        autoErase_ = box(IDC_AUTO_ERASE)->isChecked();
        searchText_ = search->text();
        options_.programMemoryWrite = box(IDC_PROGRAM_MEM_WRITE)->isChecked();
        options_.eepromProtect = box(IDC_EEPROM_PROTECT)->isChecked();
        options_.inCircuitDebugger = box(IDC_DEBUGGER)->isChecked();
    } else {
        SetEditText(status, statusText_);
        version->setMaxLength(kVersionTextLength);
        SetEditText(version, versionText_);
        SetCheckedIndex(openMethodGroup_, openMethod_);
        SetEditText(hexFile, hexFileName_);
        SetCheckedIndex(codeProtectionGroup_, options_.codeProtection);
        box(IDC_WATCHDOG)->setChecked(options_.watchdogTimer);
        box(IDC_POWER_UP_TIMER)->setChecked(options_.powerUpTimer);
        SetCheckedIndex(processorGroup_, targetProcessor_);
        box(IDC_BROWN_OUT)->setChecked(options_.brownOutReset);
        box(IDC_AUTO_ERASE)->setChecked(autoErase_);
        SetEditText(search, searchText_);
        box(IDC_PROGRAM_MEM_WRITE)->setChecked(options_.programMemoryWrite);
        box(IDC_EEPROM_PROTECT)->setChecked(options_.eepromProtect);
        box(IDC_DEBUGGER)->setChecked(options_.inCircuitDebugger);
    }
    transferring_ = false;
}

void CDownloadDlg::SetButtonStates(unsigned mask)
{
    for (const MaskBit& button : kButtonBits)
        Control(button.id)->setEnabled((mask & button.bit) != 0);
    // In help mode every button the mask names stays clickable, for its description.
    if (helpMode_)
        return;
    if (!connected_) {
        for (const int id : {IDC_BLANK_CHECK, IDC_ERASE, IDC_PROGRAM, IDC_VERIFY, IDC_READ,
                             IDC_WRITE_VERSION})
            Control(id)->setEnabled(false);
    }
    // A name of one or two characters cannot be a chosen file.
    if (hexFileName_.size() < 3) {
        for (const int id : {IDC_PROGRAM, IDC_VERIFY, IDC_VIEW})
            Control(id)->setEnabled(false);
    }
}

void CDownloadDlg::RepaintNow()
{
    repaint();
}

void CDownloadDlg::ApplyConfigWord(std::uint16_t word)
{
    UpdateData(true);
    ::ApplyConfigWord(ProcessorFromIndex(targetProcessor_), word, options_);
    UpdateData(false);
    RepaintNow();
}

void CDownloadDlg::paintEvent(QPaintEvent* event)
{
    if (helpTint_ == HELP_TINT_ON) {
        QPainter painter(this);
        painter.fillRect(rect().normalized(), kHelpTintColour);
    }
    QDialog::paintEvent(event);
}

bool CDownloadDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (auto* widget = qobject_cast<QWidget*>(watched))
            OnEditFocus(widget->objectName().toInt());
    }
    return QDialog::eventFilter(watched, event);
}

void CDownloadDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // Linux desktops offer no way into a window's system menu, so the About entry lives in
    // the window's context menu there.
    QMenu menu(this);
    menu.addAction(QString::fromLatin1(kAboutMenuText), this, &CDownloadDlg::OnAbout);
    menu.exec(event->globalPos());
}

#if defined(Q_OS_WIN)
bool CDownloadDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    if (IsAboutCommand(message)) {
        OnAbout();
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#endif

void CDownloadDlg::OnOK()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_EXIT));
        return;
    }
    UpdateData(true);
    accept();
}

void CDownloadDlg::OnTimer()
{
    if (splash_)
        splash_->close();
    splashTimer_.stop();
}

void CDownloadDlg::OnAbout()
{
    CAboutBoxDlg about(this);
    about.exec();
}
