// Choosing, connecting and disconnecting a board from the window, as a user does it. How a
// connect fails, message by message, is the board link's own tests' business.
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "WindowFixture.h"
#include "app/CTargetSelectDlg.h"
#include "emulator/EmulatorControl.h"

namespace {

using Messages = std::vector<std::string>;

// Clicks Search and answers its Target Select Dialog with `row` selected (-1: leave the first
// device selected; -2: Esc). Returns the dialog's lines, after the row it showed selected.
QStringList Search(WindowFixture& f, int row = -1)
{
    QStringList seen;
    QTimer answer; // dies with the call, so it never fires into a later test
    answer.setSingleShot(true);
    QList<int> enabledMeanwhile;
    QObject::connect(&answer, &QTimer::timeout, [&seen, &enabledMeanwhile, &f, row] {
        auto* dialog = dynamic_cast<CTargetSelectDlg*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Target Select Dialog"));
        enabledMeanwhile = f.Enabled();
        seen << QString::number(dialog->List()->currentRow());
        for (int line = 0; line < dialog->List()->count(); ++line)
            seen << dialog->List()->item(line)->text();
        if (row == -2)
            return dialog->reject();
        if (row >= 0)
            dialog->List()->setCurrentRow(row);
        dialog->findChild<QPushButton*>(QString::number(IDC_EXIT))->click();
    });
    answer.start(0);
    f.Click(IDC_SEARCH);
    // The main window's buttons wait for the choice.
    QTest::qVerify(enabledMeanwhile.isEmpty(), "enabledMeanwhile.isEmpty()", "", __FILE__, __LINE__);
    return seen;
}

} // namespace

class ConnectionWindowTest : public QObject {
    Q_OBJECT

private slots:
    void searchListsTheBoardsInEachOpenByMode()
    {
        WindowFixture f;
        QCOMPARE(Search(f, 2), (QStringList{"1", "2 device(s) attached:", "0", "1"}));
        QCOMPARE(f.Text(IDC_SEARCH_TEXT), QStringLiteral("1"));
        QCOMPARE(f.ProfileValue("ProgDevNmbr"), QString()); // stored on the user's next edit only
        QCOMPARE(f.Text(IDC_STATUS), QStringLiteral("Not Connected"));
        f.Click(IDC_CONNECT); // the chosen board, which takes its processor from the answer
        QVERIFY(f.IsChecked(IDC_16F877));
        QVERIFY(f.IsEnabled(IDC_BROWN_OUT) && f.IsEnabled(IDC_CP_1000));
        // Search lets a connected board go; the 16F84A's answer takes the 16F877's options away.
        QCOMPARE(Search(f, 1), (QStringList{"1", "2 device(s) attached:", "0", "1"}));
        QCOMPARE(f.Text(IDC_CONNECT), QStringLiteral("Connect"));
        QVERIFY(!f.Window().IsConnected());
        QCOMPARE(EmuIsOpen(1), 0);
        QCOMPARE(f.Enabled(), kIdleButtons);
        f.Click(IDC_CONNECT);
        QVERIFY(f.IsChecked(IDC_16F84A));
        QVERIFY(!f.IsEnabled(IDC_BROWN_OUT) && !f.IsEnabled(IDC_CP_1000));
        f.Click(IDC_CONNECT);

        QCOMPARE(EmuConfigure("[bus]\nboards = 3\n"), 0);
        f.Click(IDC_DESCRIPTION);
        Search(f, 0);
        QCOMPARE(f.Text(IDC_SEARCH_TEXT), QStringLiteral("3 device(s) attached:"));
        // Esc keeps the previous choice, which goes into the box again.
        QCOMPARE(Search(f, -2).size(), 5);
        QCOMPARE(f.Text(IDC_SEARCH_TEXT), QStringLiteral("3 device(s) attached:"));
        QCOMPARE(f.sink.messages, Messages{});
    }

    // A description in the FIFO chip's EEPROM with a byte above 0x7F ("Ger\xE4t"): listed as
    // the user reads it, and opened with the very bytes the driver listed.
    void opensABoardWhoseNameIsNotAscii()
    {
        WindowFixture f;
        QCOMPARE(EmuConfigure("[board]\ndescription = Ger\xE4t\n[board]\n"), 0);
        f.Click(IDC_DESCRIPTION);
        const QString name = QStringLiteral("Ger\u00E4t");
        QCOMPARE(Search(f), (QStringList{"1", "2 device(s) attached:", name, "TVR-IOB"}));
        QCOMPARE(f.Text(IDC_SEARCH_TEXT), name);
        QCOMPARE(f.ProfileValue("ProgDescString"), name);
        f.Click(IDC_CONNECT);
        QCOMPARE(f.sink.messages, Messages{});
        QCOMPARE(f.Text(IDC_STATUS), QStringLiteral("TVR-IOA EMULATED"));
        f.Click(IDC_CONNECT);
        // Entered instead of picked (QTest types ASCII only): the same bytes.
        auto* search = f.Find<QLineEdit>(IDC_SEARCH_TEXT);
        search->selectAll();
        search->insert(name);
        f.Click(IDC_CONNECT);
        QCOMPARE(f.Text(IDC_STATUS), QStringLiteral("TVR-IOA EMULATED"));
    }

    void searchWithoutBoardsShowsNoDialog()
    {
        WindowFixture f;
        f.Click(IDC_SERIAL);
        f.Find<QLineEdit>(IDC_SEARCH_TEXT)->selectAll();
        QTest::keyClicks(f.Find(IDC_SEARCH_TEXT), QStringLiteral("TVRB0001"));
        QCOMPARE(EmuConfigure("[bus]\nboards = 0\n"), 0);
        QCOMPARE(Search(f), QStringList{});
        QCOMPARE(f.ProfileValue("ProgSerialString"), QStringLiteral("TVRB0001"));
    }
};

QTEST_MAIN(ConnectionWindowTest)
#include "ConnectionWindowTest.moc"
