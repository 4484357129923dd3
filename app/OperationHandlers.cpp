// The target operations: Blank Check, Erase, Program, Verify and Read.
#include "app/CDownloadDlg.h"
#include "help/HelpTexts.h"
#include "res/ControlIds.h"

void CDownloadDlg::OnBlankCheck()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_BLANK_CHECK));
        return;
    }
}

void CDownloadDlg::OnErase()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_ERASE));
        return;
    }
}

void CDownloadDlg::OnProgram()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_PROGRAM));
        return;
    }
}

void CDownloadDlg::OnVerify()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_VERIFY));
        return;
    }
}

void CDownloadDlg::OnRead()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_READ));
        return;
    }
}
