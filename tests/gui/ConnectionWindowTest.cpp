// Choosing, connecting and disconnecting a board from the window, as a user does it.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "WindowFixture.h"
#include "app/CTargetSelectDlg.h"
#include "emulator/EmulatorControl.h"
#include "res/ControlIds.h"
#include "support/SimulatedTime.h"

namespace {

using Messages = std::vector<std::string>;

// Acts on the Target Select Dialog once Search has opened it: records its lines and the
// selected row, then runs `answer` (select a row, press OK or Esc).
struct TargetDialogProbe {
    QStringList lines;
    int selectedRow = -2; // -2: the dialog never opened
    void Arm(std::function<void(CTargetSelectDlg&)> answer)
    {
        QTimer::singleShot(0, [this, answer] {
            auto* dialog = dynamic_cast<CTargetSelectDlg*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Target Select Dialog"));
            for (int row = 0; row < dialog->List()->count(); ++row)
                lines << dialog->List()->item(row)->text();
            selectedRow = dialog->List()->currentRow();
            answer(*dialog);
        });
    }
};

void PressOk(CTargetSelectDlg& dialog)
{
    dialog.findChild<QPushButton*>(QString::number(IDC_EXIT))->click();
}

} // namespace

class ConnectionWindowTest : public QObject {
    Q_OBJECT

private slots:
    void connectsWritesTheVersionAndDisconnects()
    {
        WindowFixture f;
        QCOMPARE(EmuSetVersionText(0, "Bench 7"), 0);
        f.Click(IDC_CONNECT);
        QCOMPARE(f.Find<QLineEdit>(IDC_STATUS)->text(), QStringLiteral("Bench 7"));
        QVERIFY(f.Find<QLabel>(IDC_REVISION)->text().startsWith('V'));
        QVERIFY(f.Find<QLabel>(IDC_REVISION)->text() != QStringLiteral("VER"));
        QCOMPARE(f.Find<QPushButton>(IDC_CONNECT)->text(), QStringLiteral("Disconnect"));
        QVERIFY(f.Window().IsConnected());
        QVERIFY(f.Find<QRadioButton>(IDC_16F84A)->isChecked());
        for (const int id : {IDC_WRITE_VERSION, IDC_BLANK_CHECK, IDC_ERASE, IDC_READ})
            QVERIFY2(f.IsEnabled(id), qPrintable(QString::number(id)));
        QVERIFY2(!f.IsEnabled(IDC_PROGRAM), "no HEX file chosen");

        f.Find<QLineEdit>(IDC_VERSION_TEXT)->setText(QStringLiteral("Release 2.4"));
        f.Click(IDC_WRITE_VERSION);
        QCOMPARE(f.sink.messages, Messages{"Version write complete."});

        f.Click(IDC_CONNECT); // Disconnect
        QCOMPARE(f.Find<QPushButton>(IDC_CONNECT)->text(), QStringLiteral("Connect"));
        QCOMPARE(f.Find<QLabel>(IDC_REVISION)->text(), QStringLiteral("VER"));
        QVERIFY(!f.Window().IsConnected());
        QVERIFY(!f.IsEnabled(IDC_READ));

        f.Click(IDC_CONNECT);
        // The board keeps the text padded to its 16 characters.
        QCOMPARE(f.Find<QLineEdit>(IDC_STATUS)->text(), QStringLiteral("Release 2.4     "));
    }

    void takesTheProcessorTheBoardReports()
    {
        WindowFixture f;
        f.Find<QLineEdit>(IDC_SEARCH_TEXT)->setText(QStringLiteral("1"));
        f.Click(IDC_CONNECT);
        QVERIFY(f.Find<QRadioButton>(IDC_16F877)->isChecked());
        QVERIFY(f.IsEnabled(IDC_BROWN_OUT));
        QVERIFY(f.IsEnabled(IDC_CP_1000));
    }

    void connectFailuresLeaveTheWindowNotConnected_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("searchText");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("messages");
        // The board link's own tests walk every way a connect fails; here, what the window
        // makes of a failed one and of one that stands despite a failed request.
        QTest::newRow("device number refused")
            << QString() << QString("65") << QString("Failed to open. (CN)") << QString("Connect")
            << QStringList{"Select a method to open or enter a valid device number (0-64).",
                           "Select a method to open or enter a valid device number (0-64)."};
        QTest::newRow("version of 20 bytes")
            << QString("answer-short command=CMD_GET_VERSION count=20") << QString("0")
            << QString("Not connected.") << QString("Disconnect")
            << QStringList{"Error: Only 20 of 32 bytes returned.",
                           "No response to request: Get Processor Type",
                           "No response to request: Get Processor Type"};
    }
    void connectFailuresLeaveTheWindowNotConnected()
    {
        QFETCH(QString, fault);
        QFETCH(QString, searchText);
        QFETCH(QString, status);
        QFETCH(QString, button);
        QFETCH(QStringList, messages);
        SimulatedTime time;
        WindowFixture f;
        if (!fault.isEmpty())
            QCOMPARE(EmuInjectFault(fault.toUtf8().constData()), 0);
        f.Find<QLineEdit>(IDC_SEARCH_TEXT)->setText(searchText);
        f.Click(IDC_CONNECT);
        QCOMPARE(f.Find<QLineEdit>(IDC_STATUS)->text(), status);
        QCOMPARE(f.Find<QPushButton>(IDC_CONNECT)->text(), button);
        QCOMPARE(f.Window().IsConnected(), button == "Disconnect");
        QStringList shown;
        for (const std::string& message : f.sink.messages)
            shown << QString::fromStdString(message);
        QCOMPARE(shown, messages);
        EmuClearFaults();
    }

    void searchListsTheBoardsInEachOpenByMode()
    {
        WindowFixture f;
        TargetDialogProbe byNumber;
        byNumber.Arm([](CTargetSelectDlg& dialog) {
            dialog.List()->setCurrentRow(2);
            PressOk(dialog);
        });
        f.Click(IDC_SEARCH);
        QCOMPARE(byNumber.lines, (QStringList{"2 device(s) attached:", "0", "1"}));
        QCOMPARE(byNumber.selectedRow, 1);
        QCOMPARE(f.Find<QLineEdit>(IDC_SEARCH_TEXT)->text(), QStringLiteral("1"));
        QCOMPARE(f.ProfileValue("ProgDevNmbr"), QString()); // stored on the user's next edit only
        QCOMPARE(f.Find<QLineEdit>(IDC_STATUS)->text(), QStringLiteral("Not Connected"));

        QCOMPARE(EmuConfigure("[bus]\nboards = 3\n"), 0);
        f.Click(IDC_SERIAL);
        TargetDialogProbe bySerial;
        bySerial.Arm(PressOk);
        f.Click(IDC_SEARCH);
        QCOMPARE(bySerial.lines.size(), 4);
        QCOMPARE(bySerial.lines.first(), QStringLiteral("3 device(s) attached:"));
        const QString first = bySerial.lines.at(1);
        QCOMPARE(f.Find<QLineEdit>(IDC_SEARCH_TEXT)->text(), first);
        QCOMPARE(f.ProfileValue("ProgSerialString"), first);

        f.Click(IDC_DESCRIPTION);
        TargetDialogProbe header;
        header.Arm([](CTargetSelectDlg& dialog) {
            dialog.List()->setCurrentRow(0);
            PressOk(dialog);
        });
        f.Click(IDC_SEARCH);
        QCOMPARE(f.Find<QLineEdit>(IDC_SEARCH_TEXT)->text(), QStringLiteral("3 device(s) attached:"));

        TargetDialogProbe escaped;
        escaped.Arm([](CTargetSelectDlg& dialog) { dialog.reject(); });
        f.Click(IDC_SEARCH);
        QCOMPARE(escaped.lines.size(), 4);
        // Esc keeps the previous choice, which goes into the box again.
        QCOMPARE(f.Find<QLineEdit>(IDC_SEARCH_TEXT)->text(), QStringLiteral("3 device(s) attached:"));
        QCOMPARE(f.sink.messages, Messages{});
    }

    void searchWithoutBoardsShowsNoDialog()
    {
        WindowFixture f;
        f.Click(IDC_SERIAL);
        f.Find<QLineEdit>(IDC_SEARCH_TEXT)->selectAll();
        QTest::keyClicks(f.Find<QLineEdit>(IDC_SEARCH_TEXT), QStringLiteral("TVRB0001"));
        QCOMPARE(EmuConfigure("[bus]\nboards = 0\n"), 0);
        TargetDialogProbe probe;
        probe.Arm(PressOk);
        f.Click(IDC_SEARCH);
        QCOMPARE(probe.selectedRow, -2);
        QCOMPARE(f.Find<QLineEdit>(IDC_SEARCH_TEXT)->text(), QStringLiteral("No devices attached"));
        QCOMPARE(f.ProfileValue("ProgSerialString"), QStringLiteral("TVRB0001"));
        QCOMPARE(f.IsEnabled(IDC_SEARCH) && f.IsEnabled(IDC_CONNECT) && f.IsEnabled(IDC_OPEN), true);
    }

    void searchReportsAFailingDriver()
    {
        WindowFixture f("libftd2xx-absent.so");
        f.sink.messages.clear();
        f.Click(IDC_SEARCH);
        QCOMPARE(f.sink.messages, (Messages{"FT_ListDevices is not valid!", "FT_ListDevices failed"}));

        f.Restart();
        f.Click(IDC_SERIAL);
        QCOMPARE(EmuInjectFault("list-fails"), 0);
        f.Click(IDC_SEARCH);
        QCOMPARE(f.sink.messages, Messages{"ListDevices failed"});
        QCOMPARE(f.Find<QLineEdit>(IDC_SEARCH_TEXT)->text(), QStringLiteral("Enter Device Serial Number here."));
        EmuClearFaults();
    }
};

QTEST_MAIN(ConnectionWindowTest)
#include "ConnectionWindowTest.moc"
