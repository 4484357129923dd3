// Every outcome the target operations report, reached from the window as a user meets it:
// the one message, the link state and the buttons it leaves.
#include <QApplication>
#include <QCursor>
#include <QProgressBar>
#include <QTest>

#include "OperationWindow.h"
#include "app/CMemoryWindowDlg.h"
#include "support/TraceFile.h"

namespace {

constexpr auto P84A = static_cast<int>(TargetProcessor::PIC16F84A);
constexpr auto P877 = static_cast<int>(TargetProcessor::PIC16F877);

// What a row prepares before it clicks its button.
enum Setup : int {
    NONE = 0,
    NOT_BLANK = 1 << 0,         // a program word written: the chip is not blank
    AUTO_ERASE = 1 << 1,        // Enable Auto-Erase checked
    PROGRAMMED = 1 << 2,        // the file programmed through the window first
    FILE_REMOVED = 1 << 3,      // the HEX file deleted after Open
    FILE_REMOVED_LATE = 1 << 4, // deleted during the blank check, after Program checked it
    CHECKSUM_ERROR = 1 << 5,    // the file rewritten with a bad checksum
    TOO_LARGE = 1 << 6,         // the file rewritten with words past the 16F84A's memory
    PATH_FORGOTTEN = 1 << 7,    // the profile's path emptied and Open cancelled
    WORD_CHANGED = 1 << 8,      // program word 5 of the chip changed
    EEPROM_5_CHANGED = 1 << 9,  // EEPROM location 5 of the chip changed
};

constexpr char kPathPlaceholder[] = "%s"; // stands for the HEX file's path in a message

// With a HEX file open and the link lost, these buttons stay usable.
const QList<int> kNotConnected = {IDC_SEARCH, IDC_CONNECT, IDC_OPEN, IDC_VIEW, IDC_EXIT};

// option: a control clicked before the button, 0 for none; faults are injected after Connect and Open.
struct Case { int processor, button, setup; QStringList faults; int option; QString message; bool connected; };
std::vector<Case> cases;

void Row(const char* name, int processor, int button, int setup, const QStringList& faults, int option,
         const QString& message, bool connected)
{
    QTest::newRow(name) << int(cases.size());
    cases.push_back({processor, button, setup, faults, option, message, connected});
}

} // namespace

class OperationWindowTest : public QObject {
    Q_OBJECT

private slots:
    void reportsEachOutcomeWithItsLinkStateAndButtons_data()
    {
        QTest::addColumn<int>("row"); // into cases
        cases.clear();

        const QString notBlank = "Device is not blank. Either erase the device or select Auto Erase.";
        const QString notSent = "Could not write the device during Blank Check.";
        const QString notRead = "Could not read from the device during Blank Check.";
        const QString noBoard = "TVR-IOxx board not responding.";
        const QString eraseFailed = "Error during Bulk Erase function.";
        const QString fileGone = QString("The hex file %1 could not be opened.").arg(kPathPlaceholder);

        // Faults as emulator/README.md names them. Stream faults aim at block 2 of a part, so
        // that blocks 0 and 1 went through; count=1 leaves one byte of a two-byte answer,
        // count=20 twelve bytes short of a 32-byte configuration block.
        const int BC = IDC_BLANK_CHECK, ER = IDC_ERASE, PR = IDC_PROGRAM, RD = IDC_READ, VF = IDC_VERIFY;
        Row("blank check: blank", P84A, BC, NONE, {}, 0, "Device is blank.", true);
        Row("blank check: not blank", P84A, BC, NOT_BLANK, {}, 0, "Device is not blank.", true);
        Row("blank check: command refused", P84A, BC, NONE, {"ack-wrong command=CMD_BLANK_CHECK_84A"}, 0, notSent, false);
        Row("blank check: answer unreadable", P84A, BC, NONE, {"read-fails command=CMD_BLANK_CHECK_84A at=answer"}, 0, notRead, false);
        Row("blank check: answer cut short", P84A, BC, NONE, {"answer-short command=CMD_BLANK_CHECK_84A count=1"}, 0, notRead, false);
        Row("blank check: other answer", P877, BC, NONE, {"answer-wrong command=CMD_BLANK_CHECK_877 value=0x00"}, 0, notRead, false);

        Row("erase: erased", P84A, ER, NOT_BLANK, {}, 0, "Device is erased.", true);
        Row("erase: command refused", P84A, ER, NONE, {"ack-wrong command=CMD_BULK_ERASE_84A"}, 0, notSent, false);
        Row("erase: answer unreadable", P84A, ER, NONE, {"read-fails command=CMD_BULK_ERASE_84A at=answer"}, 0, noBoard, false);
        Row("erase: wrong answer", P877, ER, NONE, {"answer-wrong command=CMD_BULK_ERASE_877 value=0x5A"}, 0, eraseFailed, false);

        Row("program: no file name", P84A, PR, PATH_FORGOTTEN, {}, 0, "Error: Invalid HEX file name.", true);
        Row("program: file gone", P84A, PR, FILE_REMOVED, {}, 0, "Error: HEX file could not be opened.", true);
        Row("program: checksum", P84A, PR, CHECKSUM_ERROR, {}, 0, "Checksum error in HEX file.", true);
        Row("program: too large", P84A, PR, TOO_LARGE, {}, 0, "Selected HEX file is too large to fit into device FLASH.", true);
        Row("program: blank check refused", P84A, PR, NONE, {"ack-wrong command=CMD_BLANK_CHECK_84A"}, 0, notSent, false);
        Row("program: blank check unreadable", P84A, PR, NONE, {"read-fails command=CMD_BLANK_CHECK_84A at=answer"}, 0, notRead, false);
        Row("program: blank check cut short", P84A, PR, AUTO_ERASE, {"answer-short command=CMD_BLANK_CHECK_84A count=1"}, 0, notRead, false);
        Row("program: not blank", P84A, PR, NOT_BLANK, {}, 0, notBlank, true);
        Row("program: erase refused", P84A, PR, NOT_BLANK | AUTO_ERASE, {"ack-wrong command=CMD_BULK_ERASE_84A"}, 0, notSent, false);
        Row("program: erase unreadable", P84A, PR, NOT_BLANK | AUTO_ERASE, {"read-fails command=CMD_BULK_ERASE_84A at=answer"}, 0, noBoard, false);
        Row("program: erase failed", P84A, PR, NOT_BLANK | AUTO_ERASE, {"answer-wrong command=CMD_BULK_ERASE_84A value=0x5A"}, 0, eraseFailed, false);
        Row("program: file gone after the check", P84A, PR, FILE_REMOVED_LATE, {}, 0, fileGone, true);
        Row("program: command refused", P84A, PR, NONE, {"ack-wrong command=CMD_PROGRAM_84A"}, 0, "Error communicating with programmer.", false);
        Row("program: flash no answer", P84A, PR, NONE, {"read-fails stream=program part=program block=2"}, 0, noBoard, false);
        Row("program: flash bad ack", P84A, PR, NONE, {"block-ack-wrong part=program block=2"}, 0, "Bad ACK during Flash programming. (0xA5)", false);
        Row("program: config no answer", P84A, PR, NONE, {"read-fails stream=program part=config"}, 0, noBoard, false);
        Row("program: config bad ack", P84A, PR, NONE, {"block-ack-short part=config"}, 0, "Bad ACK during Configuration programming (CF).", false);
        Row("program: eeprom no answer", P84A, PR, NONE, {"read-fails stream=program part=eeprom block=2"}, 0, noBoard, false);
        Row("program: eeprom bad ack", P84A, PR, NONE, {"block-ack-wrong part=eeprom"}, 0, "Bad ACK during EE Data programming.", false);
        Row("program: closing no answer", P84A, PR, NONE, {"read-fails stream=program part=closing"}, 0, noBoard, false);
        Row("program: closing bad ack", P84A, PR, NONE, {"block-ack-wrong part=closing"}, 0, "Bad ACK during Flash programming.", false);
        Row("program: complete", P84A, PR, NONE, {}, 0, "Programming complete.", true);

        // The read stream's failure points, as Read and as Verify name them: the read failures
        // with different tags, the rest alike (verify nullptr).
        const QString repeatShort = "block-short part=program block=2 times=1";
        const struct { const char *point; QStringList faults; const char *read, *verify; } readRows[] = {
            {"command refused", {"ack-wrong command=any"}, "Could not write the device during program memory read.", nullptr},
            {"program block unreadable", {"read-fails stream=read part=program block=2"}, "Could not read from device. (T3)", "Could not read from device. (T1)"},
            {"acknowledge not written", {"write-fails stream=read part=program block=2"}, "Could not WRITE the device during program memory read.", nullptr},
            {"repeat request not written", {repeatShort, "write-fails stream=read part=program block=2 times=1"}, "Could not WRITE the device during program memory read.", nullptr},
            {"repeated block unreadable", {repeatShort, "read-fails stream=read part=program block=2 skip=1 times=1"}, "Could not read from device. (T4)", "Could not read from device. (T7)"},
            {"repeated block short", {"block-short part=program block=2 times=2"}, "Could not read from device. (64)", nullptr},
            {"config unreadable", {"read-fails stream=read part=config"}, "Could not read from device. (T5)", "Could not read from device. (T2)"},
            {"config short", {"block-short part=config count=20"}, "Could not read from device. (513)", nullptr},
            {"config acknowledge not written", {"write-fails stream=read part=config"}, "Could not WRITE the device during Configuration read.", nullptr},
            {"eeprom unreadable", {"read-fails stream=read part=eeprom"}, "Could not read from device. (T9)", "Could not read from device. (T8)"},
            {"eeprom short", {"block-short part=eeprom"}, "Could not read from device. (128)", nullptr},
            {"eeprom acknowledge not written", {"write-fails stream=read part=eeprom"}, "Could not WRITE the device during EEPROM read.", nullptr},
        };
        for (const auto& row : readRows) {
            Row(qPrintable(QString("read: ") + row.point), P84A, RD, NONE, row.faults, 0, row.read, false);
            Row(qPrintable(QString("verify: ") + row.point), P84A, VF, NONE, row.faults, 0, row.verify ? row.verify : row.read, false);
        }

        Row("verify: file gone", P84A, VF, FILE_REMOVED, {}, 0, fileGone, false);
        Row("verify: passed", P84A, VF, PROGRAMMED, {}, 0, "Verify passed", true);
        Row("verify: program word", P84A, VF, PROGRAMMED | WORD_CHANGED, {}, 0, "Verify failed", true);
        Row("verify: eeprom location 5", P84A, VF, PROGRAMMED | EEPROM_5_CHANGED, {}, 0,
            "EE Data Verify failed at 2105h (EE location 5)", true);
        // Each option in the window against the programmed chip; the 16F877 has them all.
        const QString config = "Configuration verify failed (%1 Setting)";
        Row("verify: power-up timer", P84A, VF, PROGRAMMED, {}, IDC_POWER_UP_TIMER, config.arg("Power Up Timer"), true);
        Row("verify: watchdog", P84A, VF, PROGRAMMED, {}, IDC_WATCHDOG, config.arg("Watchdog Timer"), true);
        Row("verify: code protection", P84A, VF, PROGRAMMED, {}, IDC_CP_ALL, config.arg("Code Protection"), true);
        Row("verify: brown-out", P877, VF, PROGRAMMED, {}, IDC_BROWN_OUT, config.arg("Brown-Out Reset"), true);
        Row("verify: program memory write", P877, VF, PROGRAMMED, {}, IDC_PROGRAM_MEM_WRITE, config.arg("Program Memory Write"), true);
        Row("verify: eeprom protect", P877, VF, PROGRAMMED, {}, IDC_EEPROM_PROTECT, config.arg("EEPROM Write Protect"), true);
        Row("verify: in-circuit debugger", P877, VF, PROGRAMMED, {}, IDC_DEBUGGER, config.arg("In-Circuit Debug"), true);
    }

    void reportsEachOutcomeWithItsLinkStateAndButtons()
    {
        QFETCH(int, row);
        const auto& [processor, button, setup, faults, option, message, connected] = cases.at(row);

        OperationWindow w(static_cast<TargetProcessor>(processor));
        if (setup & AUTO_ERASE)
            w.f.Click(IDC_AUTO_ERASE);
        if (setup & PROGRAMMED)
            QCOMPARE(w.Run(IDC_PROGRAM), Messages{"Programming complete."});
        if (setup & NOT_BLANK)
            w.SetChipWord(kSomeWord, 0);
        if (setup & WORD_CHANGED)
            w.SetChipWord(kChangedWord, w.ChipWord(kChangedWord) ^ 1);
        if (setup & EEPROM_5_CHANGED)
            w.SetChipWord(kEepromLocation5, w.ChipWord(kEepromLocation5) ^ 0xFF);
        if (setup & FILE_REMOVED)
            QFile::remove(w.HexPath());
        if (setup & (CHECKSUM_ERROR | TOO_LARGE))
            w.OverwriteHexFile(setup & TOO_LARGE ? "malformed/too-large-84a.hex" : "malformed/bad-config-checksum.hex");
        // The blank check's command pause comes after the file's check and before its load.
        if (setup & FILE_REMOVED_LATE)
            w.clock.atPause = [path = w.HexPath()](unsigned) { QFile::remove(path); };
        if (setup & PATH_FORGOTTEN) {
            w.f.SetProfileValue("MyfilenamePath", QString());
            w.f.Window().SetHexFileChooser([](const QString&) { return QString(); });
            w.f.Click(IDC_OPEN);
        }
        for (const QString& fault : faults)
            QVERIFY2(EmuInjectFault(qPrintable(fault)) == 0, EmuLastError());
        if (option != 0)
            w.f.Click(option);

        const QString expected = QString(message).replace(kPathPlaceholder, w.HexPath());
        QCOMPARE(w.Run(button), Messages{expected.toStdString()});
        QCOMPARE(w.f.Window().IsConnected(), connected);
        QCOMPARE(w.f.Text(IDC_CONNECT), connected ? QStringLiteral("Disconnect") : QStringLiteral("Connect"));
        if (!connected) {
            QCOMPARE(w.f.Text(IDC_STATUS), QStringLiteral("Not connected."));
            QCOMPARE(EmuIsOpen(w.Board()), 0); // a lost link leaves the device closed
        }
        QCOMPARE(w.f.Enabled(), connected ? kOperationButtons : kNotConnected);
        // A failed Read leaves the Memory Window with its first line only.
        if (button == IDC_READ)
            QCOMPARE(w.f.Window().MemoryWindow()->Lines(), QStringList{"Reading..."});
    }

    // In help mode the operation buttons only describe themselves: nothing reaches the
    // board, no file is read and no Memory Window opens.
    void helpModeSendsNothing()
    {
        OperationWindow w(TargetProcessor::PIC16F84A);
        TraceFile trace("help-mode");
        QFile::remove(w.HexPath()); // a read of the file would be reported
        w.f.Click(IDC_HELP);
        for (const int id : {IDC_BLANK_CHECK, IDC_ERASE, IDC_PROGRAM, IDC_VERIFY, IDC_READ})
            w.f.Click(id);
        QCOMPARE(trace.Lines(), std::vector<std::string>{});
        QCOMPARE(w.f.sink.messages, Messages{});
        QVERIFY(w.f.Window().MemoryWindow() == nullptr);
        QVERIFY(w.f.Window().IsConnected());
    }

    // An operation seen at each of its pauses: every button disabled, the wait cursor, and for
    // Program and Read a bar started afresh. Its one message waits with the buttons still
    // disabled and the ordinary cursor; afterwards no trace of the operation stays in the
    // window. (Its calls and pauses are the golden window test's.)
    void holdsTheWindowWhileAnOperationRuns_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("waitCursor");
        QTest::addColumn<bool>("restartsBar");
        QTest::newRow("blank check") << int(IDC_BLANK_CHECK) << "Device is not blank." << true << false;
        QTest::newRow("erase") << int(IDC_ERASE) << "Device is erased." << true << false;
        QTest::newRow("program") << int(IDC_PROGRAM) << "Programming complete." << true << true;
        QTest::newRow("verify") << int(IDC_VERIFY) << "Verify failed" << true << false;
        QTest::newRow("read") << int(IDC_READ) << "" << true << true;
        QTest::newRow("write version") << int(IDC_WRITE_VERSION) << "Version write complete." << false << false;
    }

    void holdsTheWindowWhileAnOperationRuns()
    {
        QFETCH(int, button);
        QFETCH(QString, message);
        QFETCH(bool, waitCursor);
        QFETCH(bool, restartsBar);

        OperationWindow w(TargetProcessor::PIC16F84A);
        w.f.Click(IDC_AUTO_ERASE);
        QCOMPARE(w.Run(IDC_PROGRAM), Messages{"Programming complete."});
        auto* bar = w.f.Find<QProgressBar>(IDC_PROGRESS);
        QVERIFY(bar->value() > 0); // where the last block left it
        w.SetChipWord(kSomeWord, 0); // the chip no longer matches the file
        w.f.SetText(IDC_VERSION_TEXT, QStringLiteral("Bench 7"));

        const auto cursorShown = [] {
            const QCursor* cursor = QApplication::overrideCursor();
            return cursor ? int(cursor->shape()) : -1;
        };
        const int expectedCursor = waitCursor ? int(Qt::WaitCursor) : -1;
        QStringList paused;
        w.clock.atPause = [&](unsigned milliseconds) {
            paused << QString::number(milliseconds);
            QCOMPARE(w.f.Enabled(), QList<int>{});
            QCOMPARE(cursorShown(), expectedCursor);
            if (restartsBar && paused.size() == 1)
                QCOMPARE((QList<int>{bar->minimum(), bar->value(), bar->maximum()}), (QList<int>{0, 0, 100}));
        };
        w.f.sink.whileShown = [&](const std::string&) {
            QCOMPARE(w.f.Enabled(), QList<int>{});
            QCOMPARE(cursorShown(), -1);
        };
        const Messages shown = w.Run(button);
        w.clock.atPause = nullptr;
        w.f.sink.whileShown = nullptr;

        QCOMPARE(shown, message.isEmpty() ? Messages{} : Messages{message.toStdString()});
        QVERIFY(!paused.isEmpty());
        QCOMPARE(cursorShown(), -1);
        QCOMPARE(w.f.Enabled(), kOperationButtons);
        QCOMPARE(w.f.Text(IDC_VERSION_TEXT), QStringLiteral("Bench 7"));
    }

    // A processor radio and the version text act only when used: no command undoes them or
    // works from what they showed before. On the 16F877's board with the 16F84A chosen, Blank
    // Check asks for a 16F84A's blank check (the fault answers only that command wrongly);
    // only a connect takes the processor from the board's answer.
    void keepsTheUsersChoicesThroughEveryCommand_data()
    {
        QTest::addColumn<int>("button");
        QTest::newRow("blank check") << int(IDC_BLANK_CHECK);
        QTest::newRow("erase") << int(IDC_ERASE);
        QTest::newRow("verify") << int(IDC_VERIFY);
        QTest::newRow("read") << int(IDC_READ);
        QTest::newRow("open") << int(IDC_OPEN);
        QTest::newRow("search") << int(IDC_SEARCH);
        QTest::newRow("disconnect and connect") << int(IDC_CONNECT);
    }

    void keepsTheUsersChoicesThroughEveryCommand()
    {
        QFETCH(int, button);
        OperationWindow w(TargetProcessor::PIC16F877);
        w.f.Click(IDC_16F84A);
        w.f.SetText(IDC_VERSION_TEXT, QStringLiteral("typed"));
        QCOMPARE(EmuInjectFault("ack-wrong command=CMD_BLANK_CHECK_84A"), 0);
        if (button == IDC_SEARCH)
            QCOMPARE(EmuConfigure("[bus]\nboards = 0\n"), 0); // no Target Select Dialog

        const Messages shown = w.Run(button);
        if (button == IDC_CONNECT)
            w.Run(button);
        if (button == IDC_BLANK_CHECK)
            QCOMPARE(shown, Messages{"Could not write the device during Blank Check."});
        QCOMPARE(w.f.Text(IDC_VERSION_TEXT), QStringLiteral("typed"));
        QVERIFY(w.f.IsChecked(button == IDC_CONNECT ? IDC_16F877 : IDC_16F84A));
        EmuClearFaults();
    }
};

QTEST_MAIN(OperationWindowTest)
#include "OperationWindowTest.moc"
