#pragma once
// The main window connected to an emulated board with a HEX file open, on simulated time: the
// starting point of every target operation a user runs.
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <string>
#include <vector>

#include "WindowFixture.h"
#include "emulator/EmulatorControl.h"
#include "image/ProcessorProfile.h"
#include "link/Pause.h"

using Messages = std::vector<std::string>;

constexpr unsigned kSomeWord = 0x0010;        // a program word the fixtures leave erased

// The program's fixed pauses advance the emulator's clock instead of sleeping; a test may act
// at a pause, as a user or a failing disk would while the operation runs.
struct OperationClock {
    OperationClock()
    {
        EmuSetSimulatedTime(1);
        previous = SetPauseFunction([this](unsigned milliseconds) {
            EmuAdvanceClock(milliseconds);
            if (atPause)
                atPause(milliseconds);
        });
    }
    ~OperationClock()
    {
        SetPauseFunction(previous);
        EmuSetSimulatedTime(0);
    }
    std::function<void(unsigned milliseconds)> atPause;
    PauseFunction previous;
};

class OperationWindow {
public:
    // Connects to the board of `processor` on the standard bus (device 0 a 16F84A, device 1
    // a 16F877) and opens a copy of the processor's gpasm fixture.
    explicit OperationWindow(TargetProcessor processor)
        : board_(processor == TargetProcessor::PIC16F877 ? 1 : 0)
    {
        hexPath_ = folder_.filePath(QStringLiteral("firmware.hex"));
        OverwriteHexFile(board_ == 1 ? "counter877.hex" : "blink84a.hex");
        f.SetText(IDC_SEARCH_TEXT, QString::number(board_));
        f.Click(IDC_CONNECT);
        f.Window().SetHexFileChooser([this](const QString&) { return hexPath_; });
        f.Click(IDC_OPEN);
    }

    int Board() const { return board_; }
    const QString& HexPath() const { return hexPath_; }

    // Gives the file the contents of a fixture, as an editor saving over it would.
    void OverwriteHexFile(const QString& fixture) const
    {
        QFile::remove(hexPath_);
        QFile::copy(QStringLiteral(QUILLET_TEST_DATA_DIR "/hex/") + fixture, hexPath_);
    }
    // Clicks a control as a user would, and returns the messages the click alone showed.
    Messages Run(int id)
    {
        f.sink.messages.clear();
        f.Click(id);
        return f.sink.messages;
    }
    unsigned ChipWord(unsigned address) const
    {
        unsigned value = 0;
        EmuGetChipWord(board_, address, &value);
        return value;
    }
    void SetChipWord(unsigned address, unsigned value) const { EmuSetChipWord(board_, address, value); }

    OperationClock clock;
    WindowFixture f;

private:
    int board_;
    QTemporaryDir folder_;
    QString hexPath_;
};
