#include "app/CDownloadApp.h"

#include "app/CDownloadDlg.h"
#include "app/KeepPainted.h"
#include "app/QtMessageSink.h"
#include "link/Pause.h"

int CDownloadApp::Run()
{
    // Operations wait on the board inside their handlers; their pauses keep the windows drawn.
    SetPauseFunction(PauseKeepingWindowsPainted);
    QtMessageSink messages;
    CDownloadDlg window(messages);
    window.exec();
    return 0;
}
