// The main window as a user meets it: start-up state, enabling rules, the settings
// profile, help mode, the processor options and the driver's start-up messages. Its title,
// controls, places and tab order, and the other windows', are the golden window test's.
#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "WindowFixture.h"
#include "app/CHelpDlg.h"
#include "help/HelpTexts.h"

namespace {

using Messages = std::vector<std::string>;

const QList<int> kExtendedOptions = {IDC_BROWN_OUT, IDC_CP_1000, IDC_CP_1F00,
                                     IDC_EEPROM_PROTECT, IDC_PROGRAM_MEM_WRITE, IDC_DEBUGGER};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    // The rest of the window at start-up is the golden window test's.
    void startsWithNoMessageASixteenCharacterVersionBoxAndConnectAsDefault()
    {
        WindowFixture f;
        QCOMPARE(f.sink.messages, Messages{});
        QCOMPARE(f.Find<QLineEdit>(IDC_VERSION_TEXT)->maxLength(), 16);
        QVERIFY(f.Find<QPushButton>(IDC_CONNECT)->isDefault());
    }

    void narrowsTheButtonMaskOutsideHelpModeOnly()
    {
        WindowFixture f;
        // A name of two characters counts as no file; three make View usable.
        for (const char* name : {"ab", "a.x"}) {
            f.SetText(IDC_HEX_FILE_NAME, QString::fromLatin1(name));
            f.Window().UpdateData(true);
            f.Window().SetButtonStates(CDownloadDlg::BUTTONS_ALL);
            QCOMPARE(f.IsEnabled(IDC_VIEW), qstrlen(name) == 3);
            QVERIFY2(!f.IsEnabled(IDC_PROGRAM), "no board is connected");
        }
        f.Window().SetButtonStates(CDownloadDlg::BUTTONS_NONE);
        QCOMPARE(f.Enabled(), QList<int>{});
        QVERIFY2(f.IsEnabled(IDC_HELP), "HELP is never disabled by a mask");

        f.Click(IDC_HELP);
        f.Window().SetButtonStates(CDownloadDlg::BUTTONS_IDLE);
        QCOMPARE(f.Enabled(), (QList<int>{IDC_SEARCH, IDC_CONNECT, IDC_WRITE_VERSION, IDC_OPEN, IDC_VIEW, IDC_EXIT}));
    }

    void storesTheSearchTextOfEachMethodOnTheUsersEditsOnly()
    {
        WindowFixture f;
        auto* search = f.Find<QLineEdit>(IDC_SEARCH_TEXT);
        f.Click(IDC_SERIAL);
        QCOMPARE(f.ProfileValue("ProgSerDesc"), QStringLiteral("0"));
        QCOMPARE(search->text(), QStringLiteral("Enter Device Serial Number here."));
        QCOMPARE(f.ProfileValue("ProgSerialString"), QString()); // a loaded text is not stored

        search->selectAll();
        QTest::keyClicks(search, QStringLiteral("TVRA0001"));
        QCOMPARE(f.ProfileValue("ProgSerialString"), QStringLiteral("TVRA0001"));
        QCOMPARE(search->cursorPosition(), 8); // each stored keystroke leaves the caret in place

        f.Click(IDC_DEVICE_NUMBER);
        QCOMPARE(search->text(), QStringLiteral("0"));
        QCOMPARE(f.ProfileValue("ProgDevNmbr"), QString());
        f.Click(IDC_SERIAL);
        QCOMPARE(search->text(), QStringLiteral("TVRA0001"));

        f.Restart();
        QVERIFY(f.IsChecked(IDC_SERIAL));
        QCOMPARE(f.Text(IDC_SEARCH_TEXT), QStringLiteral("TVRA0001"));
    }

    // A screen reader's default action on a radio button or a check box acts as a click does:
    // the handler runs, not only the check mark.
    void actsOnAccessibilityActivationAsOnAClick()
    {
        WindowFixture f;
        const auto activate = [&f](int id) {
            QAccessibleInterface* button = QAccessible::queryAccessibleInterface(f.Find(id));
            QVERIFY(button && button->actionInterface());
            const QStringList actions = button->actionInterface()->actionNames();
            QVERIFY(!actions.isEmpty());
            button->actionInterface()->doAction(actions.constFirst());
        };
        activate(IDC_SERIAL);
        QVERIFY(f.IsChecked(IDC_SERIAL));
        QCOMPARE(f.ProfileValue("ProgSerDesc"), QStringLiteral("0"));
        QCOMPARE(f.Text(IDC_SEARCH_TEXT), QStringLiteral("Enter Device Serial Number here."));
        activate(IDC_16F877);
        QVERIFY2(f.IsEnabled(IDC_BROWN_OUT), "the 16F877's own options are offered");
        activate(IDC_AUTO_ERASE);
        QVERIFY(f.IsChecked(IDC_AUTO_ERASE));
        f.Click(IDC_HELP);
        activate(IDC_CP_ALL); // in help mode a control explains itself instead of acting
        QVERIFY(f.Window().HelpDialog()->Lines().join(' ').contains(QStringLiteral("enable Code Protection for all")));
    }

    void helpModeDescribesEachControlInsteadOfActing()
    {
        WindowFixture f;
        f.Click(IDC_HELP);
        QVERIFY(f.Window().IsHelpMode());
        QCOMPARE(f.Window().HelpTint(), CDownloadDlg::HELP_TINT_ON);
        CHelpDlg* help = f.Window().HelpDialog();
        QVERIFY(help && help->isVisible());
        const QStringList intro = {"Click on each control for a description", "of its function."};
        QCOMPARE(help->Lines(), intro);
        QCOMPARE(f.Enabled(), kOperationButtons);

        // Every button and radio shows its own description, whole (the window is not connected:
        // a button that acted would report the missing board).
        for (const int id : {IDC_SEARCH, IDC_CONNECT, IDC_WRITE_VERSION, IDC_OPEN, IDC_VIEW,
                             IDC_BLANK_CHECK, IDC_ERASE, IDC_PROGRAM, IDC_VERIFY, IDC_READ,
                             IDC_16F84A, IDC_SERIAL, IDC_DEVICE_NUMBER, IDC_CP_OFF, IDC_AUTO_ERASE}) {
            f.Click(id);
            QStringList expected;
            for (const std::string& line : HelpLines(id))
                expected << QString::fromStdString(line);
            QCOMPARE(help->Lines(), expected);
        }
        f.Click(IDC_16F877);
        QCOMPARE(f.Enabled(kExtendedOptions), kExtendedOptions); // the processor radios act
        f.Click(IDC_WATCHDOG);
        QCOMPARE(help->Lines().size(), 2);
        QVERIFY2(!f.IsChecked(IDC_WATCHDOG), "the click still toggles the box");
        f.Click(IDC_DESCRIPTION);
        QCOMPARE(f.Text(IDC_SEARCH_TEXT), QStringLiteral("Enter Device Description here."));

        f.Window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.Window()));
        f.Window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.Window()));
        f.Click(IDC_EXIT);
        QCOMPARE(help->Lines(), QStringList{"Program Exit."});
        QVERIFY(f.Window().isVisible());
        f.Find(IDC_SEARCH_TEXT)->setFocus(); // focus alone describes a text box
        QTRY_COMPARE(help->Lines().size(), 10);

        f.Click(IDC_HELP);
        QCOMPARE(f.Window().HelpDialog(), help); // no second Help Dialog
        QCOMPARE(help->Lines(), intro);
        QCOMPARE(f.sink.messages, Messages{});
    }

    void closeEndsHelpModeAndEscLeavesTheTint()
    {
        WindowFixture f;
        f.Click(IDC_HELP);
        f.Window().HelpDialog()->findChild<QPushButton*>(QString::number(IDC_EXIT))->click();
        QTRY_VERIFY(f.Window().HelpDialog() == nullptr);
        QVERIFY(!f.Window().IsHelpMode());
        QCOMPARE(f.Window().HelpTint(), CDownloadDlg::HELP_TINT_OFF);
        QCOMPARE(f.Enabled(), kIdleButtons);

        f.Click(IDC_HELP);
        QTest::keyClick(f.Window().HelpDialog(), Qt::Key_Escape);
        QTRY_VERIFY(f.Window().HelpDialog() == nullptr);
        QVERIFY(!f.Window().IsHelpMode());
        QCOMPARE(f.Window().HelpTint(), CDownloadDlg::HELP_TINT_ON);
        QVERIFY2(f.IsEnabled(IDC_PROGRAM), "Esc leaves the buttons as help mode set them");
        // Out of help mode the button acts for real: with no file chosen, Program refuses.
        f.Click(IDC_PROGRAM);
        QCOMPARE(f.sink.messages, Messages{"Error: Invalid HEX file name."});
    }

    void exitAndEscEndTheWindow()
    {
        WindowFixture f;
        f.Window().show();
        f.Click(IDC_EXIT);
        QCOMPARE(f.Window().result(), int(QDialog::Accepted));
        QVERIFY(!f.Window().isVisible());

        f.Restart();
        f.Window().show();
        f.Click(IDC_HELP);
        QTest::keyClick(&f.Window(), Qt::Key_Escape);
        QCOMPARE(f.Window().result(), int(QDialog::Rejected));
        QVERIFY2(!f.Window().isVisible(), "Esc ends the program even in help mode");
    }

    void reportsAMissingDriverOnceAtStartUp()
    {
        WindowFixture f("libftd2xx-absent.so");
        QCOMPARE(f.sink.messages, Messages{"Error: Can't Load ftd2xx.dll driver software -- The Search and "
                                           "Connect functions will not work."});
        f.Restart(QUILLET_PARTIAL_DRIVER);
        QCOMPARE(f.sink.messages, Messages{"Error: Can't Find FT_ResetDevice"});
    }

    void keepsAPartialCodeProtectionChoiceOnThe16F84A()
    {
        WindowFixture f;
        f.Click(IDC_16F877);
        f.Click(IDC_CP_1000);
        f.Click(IDC_16F84A);
        QVERIFY(f.IsChecked(IDC_CP_1000));
        QVERIFY(!f.IsEnabled(IDC_CP_1000));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
