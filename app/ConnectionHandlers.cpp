// Board connection: Connect, Disconnect and Write Version, and what the board link shows in
// the window.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/CDownloadDlg.h"
#include "app/DriverText.h"
#include "help/HelpTexts.h"
#include "link/Connection.h"
#include "res/ControlIds.h"

void CDownloadDlg::OnConnect()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_CONNECT));
        return;
    }
    ShowStatus("Not Connected");
    SetButtonStates(BUTTONS_NONE);
    auto* button = static_cast<QPushButton*>(Control(IDC_CONNECT));
    if (connected_) {
        // The board is released whether or not it acknowledges.
        DisconnectBoard(link_);
        ShowRevision("VER");
        button->setText(QStringLiteral("Connect"));
        connected_ = false;
        SetButtonStates(BUTTONS_IDLE);
        return;
    }
    if (ConnectBoard(link_) != 0) {
        SetButtonStates(BUTTONS_IDLE);
        return;
    }
    button->setText(QStringLiteral("Disconnect"));
    connected_ = true;
    SetButtonStates(BUTTONS_ALL);
}

void CDownloadDlg::OnWriteVersion()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_WRITE_VERSION));
        return;
    }
    SetButtonStates(BUTTONS_NONE);
    UpdateData(true);
    WriteVersion(link_, versionText_.toStdU16String());
    SetButtonStates(BUTTONS_ALL);
}

void CDownloadDlg::MarkNotConnected()
{
    ShowStatus("Not connected.");
    static_cast<QPushButton*>(Control(IDC_CONNECT))->setText(QStringLiteral("Connect"));
    connected_ = false;
    SetButtonStates(BUTTONS_IDLE);
}

DeviceSelection CDownloadDlg::ReadSelection()
{
    UpdateData(true);
    return {openMethod_, ToDriverText(searchText_)};
}

void CDownloadDlg::FocusSearchText()
{
    auto* search = static_cast<QLineEdit*>(Control(IDC_SEARCH_TEXT));
    search->setFocus();
    search->selectAll();
}

void CDownloadDlg::ShowStatus(const std::string& text)
{
    UpdateData(true);
    // Board texts are 8-bit characters.
    statusText_ = QString::fromLatin1(text);
    UpdateData(false);
    RepaintNow();
}

void CDownloadDlg::ShowRevision(const std::string& text)
{
    static_cast<QLabel*>(Control(IDC_REVISION))->setText(QString::fromLatin1(text));
}

void CDownloadDlg::TakeProcessorAnswer(ProcessorAnswer answer)
{
    UpdateData(true);
    // As if the user had clicked the processor's radio.
    if (answer == PROCESSOR_16F84A) {
        targetProcessor_ = static_cast<int>(TargetProcessor::PIC16F84A);
        ApplyProcessorProfile(TargetProcessor::PIC16F84A);
    } else if (answer == PROCESSOR_16F877) {
        targetProcessor_ = static_cast<int>(TargetProcessor::PIC16F877);
        ApplyProcessorProfile(TargetProcessor::PIC16F877);
    }
    UpdateData(false);
    RepaintNow();
}
