// Choosing a board whose name is not ASCII, as a user does it; Search's and Connect's other
// cases are the golden window test's.
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

// Clicks Search and answers its Target Select Dialog with OK. Returns the dialog's lines,
// after the row it showed selected.
QStringList Search(WindowFixture& f)
{
    QStringList seen;
    QTimer answer; // dies with the call, so it never fires into a later test
    answer.setSingleShot(true);
    QList<int> enabledMeanwhile;
    QObject::connect(&answer, &QTimer::timeout, [&seen, &enabledMeanwhile, &f] {
        auto* dialog = dynamic_cast<CTargetSelectDlg*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        enabledMeanwhile = f.Enabled();
        seen << QString::number(dialog->List()->currentRow());
        for (int line = 0; line < dialog->List()->count(); ++line)
            seen << dialog->List()->item(line)->text();
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
};

QTEST_MAIN(ConnectionWindowTest)
#include "ConnectionWindowTest.moc"
