#include "app/CDownloadApp.h"

#include "app/CDownloadDlg.h"
#include "app/QtMessageSink.h"

int CDownloadApp::Run()
{
    QtMessageSink messages;
    CDownloadDlg window(messages);
    window.exec();
    return 0;
}
