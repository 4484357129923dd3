// The target operations as a user meets them in the window, beyond each outcome's message and
// state (the golden window test's): help mode, the window held while an operation runs,
// and the user's choices kept through every command.
#include <QApplication>
#include <QCursor>
#include <QProgressBar>
#include <QTest>

#include "OperationWindow.h"
#include "support/TraceFile.h"

class OperationWindowTest : public QObject {
    Q_OBJECT

private slots:
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
