#pragma once
// The main window connected to an emulated board with a HEX file open, on simulated time: the
// starting point of every target operation a user runs.
#include <QFile>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QTemporaryDir>
#include <functional>
#include <string>
#include <vector>

#include "WindowFixture.h"
#include "emulator/EmulatorControl.h"
#include "image/ProcessorProfile.h"
#include "link/Pause.h"
#include "res/ControlIds.h"

// The program's fixed pauses advance the emulator's clock instead of sleeping; a test may
// act at a pause, as a user or a failing disk would while the operation runs.
class OperationClock {
public:
    OperationClock()
    {
        EmuSetSimulatedTime(1);
        previous_ = SetPauseFunction([this](unsigned milliseconds) {
            EmuAdvanceClock(milliseconds);
            if (atPause)
                atPause(milliseconds);
        });
    }
    ~OperationClock()
    {
        SetPauseFunction(previous_);
        EmuSetSimulatedTime(0);
    }
    OperationClock(const OperationClock&) = delete;
    OperationClock& operator=(const OperationClock&) = delete;

    std::function<void(unsigned milliseconds)> atPause;

private:
    PauseFunction previous_;
};

using Messages = std::vector<std::string>;

constexpr unsigned kSomeWord = 0x0010;        // a program word the fixtures leave erased
constexpr unsigned kChangedWord = 0x0005;     // a program word both fixtures supply
constexpr unsigned kEepromLocation5 = 0x2105; // EEPROM location 5 as the chip addresses it

// The eleven buttons SetButtonStates governs, and those it leaves enabled with a HEX file
// open: every one while connected, the idle set when the link was lost.
inline const QList<int> kOperationButtons = {IDC_SEARCH, IDC_CONNECT, IDC_WRITE_VERSION, IDC_OPEN,
                                             IDC_VIEW, IDC_BLANK_CHECK, IDC_ERASE, IDC_PROGRAM,
                                             IDC_VERIFY, IDC_READ, IDC_EXIT};
inline const QList<int> kButtonsNotConnected = {IDC_SEARCH, IDC_CONNECT, IDC_OPEN, IDC_VIEW, IDC_EXIT};

class OperationWindow {
public:
    // Connects to the board of `processor` on the standard bus (device 0 a 16F84A, device 1
    // a 16F877) and opens a copy of the processor's gpasm fixture.
    explicit OperationWindow(TargetProcessor processor) : processor_(processor)
    {
        hexPath_ = folder_.filePath(QStringLiteral("firmware.hex"));
        OverwriteHexFile(processor == TargetProcessor::PIC16F877 ? "counter877.hex" : "blink84a.hex");
        f.Find<QLineEdit>(IDC_SEARCH_TEXT)->setText(QString::number(Board()));
        f.Click(IDC_CONNECT);
        f.Window().SetHexFileChooser([this](const QString&) { return hexPath_; });
        f.Click(IDC_OPEN);
    }

    int Board() const { return processor_ == TargetProcessor::PIC16F877 ? 1 : 0; }
    const QString& HexPath() const { return hexPath_; }

    // Gives the file the contents of a fixture, as an editor saving over it would.
    void OverwriteHexFile(const QString& fixture) const
    {
        QFile::remove(hexPath_);
        QFile::copy(QStringLiteral(QUILLET_TEST_DATA_DIR "/hex/") + fixture, hexPath_);
    }

    QList<int> EnabledButtons() const
    {
        QList<int> enabled;
        for (const int id : kOperationButtons)
            if (f.IsEnabled(id))
                enabled << id;
        return enabled;
    }
    // Clicks a control as a user would, and returns the messages the click alone showed.
    Messages Run(int id)
    {
        f.sink.messages.clear();
        f.Click(id);
        return f.sink.messages;
    }
    QString ConnectCaption() const { return f.Find<QPushButton>(IDC_CONNECT)->text(); }
    QString Status() const { return f.Find<QLineEdit>(IDC_STATUS)->text(); }

    unsigned ChipWord(unsigned address) const
    {
        unsigned value = 0;
        EmuGetChipWord(Board(), address, &value);
        return value;
    }
    void SetChipWord(unsigned address, unsigned value) const { EmuSetChipWord(Board(), address, value); }

    OperationClock clock;
    WindowFixture f;

private:
    TargetProcessor processor_;
    QTemporaryDir folder_;
    QString hexPath_;
};
