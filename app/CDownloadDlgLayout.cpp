// Construction of the main window's controls: ids, texts, positions in dialog units and
// tab order, in one table.
#include <algorithm>

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "app/CDownloadDlg.h"
#include "app/DialogUnits.h"
#include "app/WrappingPushButton.h"
#include "res/ControlIds.h"

namespace {

enum class Kind {
    RadioButton,
    PushButton,
    DefaultButton,
    TwoLineButton,
    EditBox,
    ReadOnlyEditBox,
    CheckBox,
    GroupBox,
    Label,
    RightLabel,
    ProgressBar,
};

struct ControlEntry {
    int id; // 0: a static control without id
    Kind kind;
    const char* text;
    int x, y, width, height; // dialog units
};

constexpr int kNoId = 0;
constexpr int kWindowWidth = 222;  // dialog units
constexpr int kWindowHeight = 263; // dialog units

// In tab order.
constexpr ControlEntry kControls[] = {
    {IDC_SERIAL, Kind::RadioButton, "Serial #", 61, 17, 40, 10},
    {IDC_DESCRIPTION, Kind::RadioButton, "Description", 105, 17, 51, 10},
    {IDC_DEVICE_NUMBER, Kind::RadioButton, "Device #", 160, 17, 45, 10},
    {IDC_SEARCH, Kind::PushButton, "Search", 14, 27, 46, 15},
    {IDC_SEARCH_TEXT, Kind::EditBox, "", 61, 27, 140, 15},
    {IDC_CONNECT, Kind::DefaultButton, "Connect", 14, 57, 60, 22},
    {IDC_16F84A, Kind::RadioButton, "16F84A", 62, 88, 41, 10},
    {kNoId, Kind::GroupBox, "Communications", 7, 6, 204, 78},
    {IDC_16F877, Kind::RadioButton, "16F877", 125, 88, 40, 10},
    {IDC_WRITE_VERSION, Kind::PushButton, "Write Version", 7, 112, 50, 14},
    {IDC_VERSION_TEXT, Kind::EditBox, "", 59, 112, 152, 14},
    {IDC_OPEN, Kind::PushButton, "Open", 7, 140, 32, 14},
    {IDC_VIEW, Kind::PushButton, "View", 175, 140, 36, 14},
    {IDC_BLANK_CHECK, Kind::TwoLineButton, "BLANK CHECK", 11, 157, 37, 23},
    {IDC_ERASE, Kind::PushButton, "ERASE", 49, 157, 37, 23},
    {IDC_PROGRAM, Kind::PushButton, "PROGRAM", 87, 157, 43, 23},
    {IDC_VERIFY, Kind::PushButton, "VERIFY", 131, 157, 37, 23},
    {IDC_READ, Kind::PushButton, "READ", 169, 157, 37, 23},
    {IDC_WATCHDOG, Kind::CheckBox, "Watchdog Timer", 12, 203, 69, 10},
    {IDC_POWER_UP_TIMER, Kind::CheckBox, "Power-up Timer", 12, 213, 65, 10},
    {IDC_BROWN_OUT, Kind::CheckBox, "Brown-out Reset", 12, 223, 69, 10},
    {IDC_PROGRAM_MEM_WRITE, Kind::CheckBox, "Program Mem Write", 12, 233, 78, 10},
    {IDC_AUTO_ERASE, Kind::CheckBox, "Enable Auto-Erase ", 136, 243, 75, 10},
    {IDC_CP_OFF, Kind::RadioButton, "Off", 95, 203, 25, 10},
    {IDC_CP_ALL, Kind::RadioButton, "ALL", 120, 203, 29, 10},
    {IDC_CP_1000, Kind::RadioButton, "1000h-1FFFh ", 95, 213, 60, 10},
    {IDC_CP_1F00, Kind::RadioButton, "1F00h-1FFF", 95, 223, 54, 10},
    {IDC_EEPROM_PROTECT, Kind::CheckBox, "EEPROM", 95, 233, 47, 10},
    {IDC_EXIT, Kind::PushButton, "EXIT", 165, 199, 46, 41},
    {kNoId, Kind::Label, "Configuration Options:  ", 12, 192, 74, 8},
    {kNoId, Kind::Label, "Status / Version", 77, 56, 60, 8},
    {IDC_STATUS, Kind::ReadOnlyEditBox, "", 75, 65, 126, 14},
    {kNoId, Kind::Label, "Firmware Version (16 characters max):", 60, 102, 120, 8},
    {kNoId, Kind::Label, "Open By:", 26, 17, 32, 8},
    {kNoId, Kind::Label, "Code Protection: ", 95, 192, 56, 8},
    {IDC_HEX_FILE_NAME, Kind::ReadOnlyEditBox, "", 42, 140, 132, 14},
    {kNoId, Kind::Label, "Firmware HEX file for Program and Verify", 43, 131, 138, 8},
    {kNoId, Kind::Label, "Reminder: All characters are case sensitive.", 62, 42, 141, 8},
    {IDC_PROGRESS, Kind::ProgressBar, "", 7, 182, 204, 6},
    {IDC_DEBUGGER, Kind::CheckBox, "In-Circuit Debugger", 12, 243, 77, 10},
    {IDC_HELP, Kind::PushButton, "HELP", 183, 84, 28, 13},
    {IDC_REVISION, Kind::RightLabel, "VER", 168, 56, 30, 8},
};

QWidget* MakeControl(const ControlEntry& entry, QWidget* parent)
{
    const QString text = QString::fromLatin1(entry.text);
    switch (entry.kind) {
    case Kind::RadioButton: return new QRadioButton(text, parent);
    case Kind::PushButton: return new QPushButton(text, parent);
    case Kind::DefaultButton: {
        auto* button = new QPushButton(text, parent);
        button->setDefault(true);
        return button;
    }
    case Kind::TwoLineButton: return new WrappingPushButton(text, parent);
    case Kind::EditBox: return new QLineEdit(parent);
    case Kind::ReadOnlyEditBox: {
        auto* edit = new QLineEdit(parent);
        edit->setReadOnly(true);
        return edit;
    }
    case Kind::CheckBox: return new QCheckBox(text, parent);
    case Kind::GroupBox: return new QGroupBox(text, parent);
    case Kind::Label: return new QLabel(text, parent);
    case Kind::RightLabel: {
        auto* label = new QLabel(text, parent);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return label;
    }
    case Kind::ProgressBar: {
        auto* bar = new QProgressBar(parent);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        return bar;
    }
    }
    return nullptr;
}

QButtonGroup* MakeGroup(QWidget* owner, std::initializer_list<int> radioIds)
{
    auto* group = new QButtonGroup(owner);
    int index = 0;
    for (const int id : radioIds)
        group->addButton(owner->findChild<QRadioButton*>(QString::number(id)), index++);
    return group;
}

} // namespace

void CDownloadDlg::CreateControls()
{
    const DialogUnits units(font());
    QWidget* previous = nullptr;
    for (const ControlEntry& entry : kControls) {
        QWidget* control = MakeControl(entry, this);
        if (entry.id != kNoId)
            control->setObjectName(QString::number(entry.id));
        const DialogPlacement where{entry.x, entry.y, entry.width, entry.height};
        if (entry.kind == Kind::Label)
            units.PlaceText(control, where);
        else
            units.Place(control, where);
        // The frame is drawn first so that the controls inside it stay clickable.
        if (entry.kind == Kind::GroupBox)
            control->lower();
        if (control->focusPolicy() != Qt::NoFocus) {
            if (previous)
                setTabOrder(previous, control);
            previous = control;
        }
    }
    setFixedSize(units.X(kWindowWidth), units.Y(kWindowHeight));

    openMethodGroup_ = MakeGroup(this, {IDC_SERIAL, IDC_DESCRIPTION, IDC_DEVICE_NUMBER});
    processorGroup_ = MakeGroup(this, {IDC_16F84A, IDC_16F877});
    codeProtectionGroup_ = MakeGroup(this, {IDC_CP_OFF, IDC_CP_ALL, IDC_CP_1000, IDC_CP_1F00});
    progress_ = findChild<QProgressBar*>(QString::number(IDC_PROGRESS));
}

QWidget* CDownloadDlg::Control(int id) const
{
    return findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}
