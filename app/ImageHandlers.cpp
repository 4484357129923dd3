// The HEX file: Open and View.
#include "app/CDownloadDlg.h"
#include "help/HelpTexts.h"
#include "res/ControlIds.h"

void CDownloadDlg::OnOpen()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_OPEN));
        return;
    }
}

void CDownloadDlg::OnView()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_VIEW));
        return;
    }
}
