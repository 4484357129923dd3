// Board connection: Connect, Disconnect and Write Version.
#include "app/CDownloadDlg.h"
#include "help/HelpTexts.h"
#include "res/ControlIds.h"

void CDownloadDlg::OnConnect()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_CONNECT));
        return;
    }
}

void CDownloadDlg::OnWriteVersion()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_WRITE_VERSION));
        return;
    }
}
