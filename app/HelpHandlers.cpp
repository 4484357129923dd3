// Help mode: HELP tints the window and opens the Help Dialog; while it is on, each control
// shows its description instead of (or, for the selection radios, before) its action.
#include "app/CDownloadDlg.h"
#include "app/CHelpDlg.h"
#include "help/HelpTexts.h"
#include "res/ControlIds.h"

void CDownloadDlg::OnHelpButton()
{
    helpTint_ = HELP_TINT_ON;
    update();
    helpMode_ = true;
    SetButtonStates(BUTTONS_ALL);
    if (!helpDialog_) {
        helpDialog_ = new CHelpDlg(this);
        connect(helpDialog_, &CHelpDlg::closeClicked, this, &CDownloadDlg::OnHelpDialogClose);
        connect(helpDialog_, &QObject::destroyed, this, &CDownloadDlg::OnHelpDialogGone);
        helpDialog_->show();
    }
    helpDialog_->ShowLines(HelpLines(IDC_HELP));
}

void CDownloadDlg::OnHelpDialogClose()
{
    helpMode_ = false;
    SetButtonStates(BUTTONS_ALL);
    helpTint_ = HELP_TINT_OFF;
    update();
}

void CDownloadDlg::OnHelpDialogGone()
{
    // Esc in the Help Dialog lands here without OnHelpDialogClose: the tint and the buttons
    // stay as they are until the next SetButtonStates.
    helpMode_ = false;
    helpDialog_ = nullptr;
}

void CDownloadDlg::ShowHelpText(const std::vector<std::string>& lines)
{
    if (helpDialog_)
        helpDialog_->ShowLines(lines);
}

void CDownloadDlg::OnConfigOption(int id)
{
    // The option controls carry their value in their check state; only help mode adds to it.
    if (helpMode_)
        ShowHelpText(HelpLines(id));
}

void CDownloadDlg::OnEditFocus(int id)
{
    if (helpMode_)
        ShowHelpText(HelpLines(id));
}
