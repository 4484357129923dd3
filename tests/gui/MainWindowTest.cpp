// The main window as a user meets it: start-up state, enabling rules, the settings
// profile, help mode, the processor options and the driver's start-up messages.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "WindowFixture.h"
#include "app/CAboutBoxDlg.h"
#include "app/CHelpDlg.h"
#include "help/HelpTexts.h"
#include "res/ControlIds.h"

namespace {

using Messages = std::vector<std::string>;

// The eleven buttons SetButtonStates governs.
const QList<int> kOperationButtons = {IDC_SEARCH,      IDC_CONNECT, IDC_WRITE_VERSION, IDC_OPEN,
                                      IDC_VIEW,        IDC_BLANK_CHECK, IDC_ERASE, IDC_PROGRAM,
                                      IDC_VERIFY,      IDC_READ,    IDC_EXIT};
const QList<int> kExtendedOptions = {IDC_BROWN_OUT, IDC_CP_1000, IDC_CP_1F00,
                                     IDC_EEPROM_PROTECT, IDC_PROGRAM_MEM_WRITE, IDC_DEBUGGER};

QList<int> EnabledOf(const WindowFixture& f, const QList<int>& ids)
{
    QList<int> enabled;
    for (const int id : ids) {
        if (f.IsEnabled(id))
            enabled << id;
    }
    return enabled;
}

QStringList Lines(const std::vector<std::string>& lines)
{
    QStringList result;
    for (const std::string& line : lines)
        result << QString::fromStdString(line);
    return result;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithTheDefaultsWhenNoProfileExists()
    {
        WindowFixture f;
        QCOMPARE(f.Window().windowTitle(), QStringLiteral("TVR-IO Download V1.0e "));
        QVERIFY(f.Find<QRadioButton>(IDC_DEVICE_NUMBER)->isChecked());
        QCOMPARE(f.Find<QLineEdit>(IDC_SEARCH_TEXT)->text(), QStringLiteral("0"));
        QCOMPARE(f.Find<QLabel>(IDC_REVISION)->text(), QStringLiteral("VER"));
        QVERIFY(f.Find<QRadioButton>(IDC_16F84A)->isChecked());
        QVERIFY(f.Find<QRadioButton>(IDC_CP_OFF)->isChecked());
        QVERIFY(f.Find<QCheckBox>(IDC_WATCHDOG)->isChecked());
        QVERIFY(!f.Find<QCheckBox>(IDC_POWER_UP_TIMER)->isChecked());
        QVERIFY(f.Find<QCheckBox>(IDC_BROWN_OUT)->isChecked());
        QVERIFY(!f.Find<QCheckBox>(IDC_AUTO_ERASE)->isChecked());
        QCOMPARE(EnabledOf(f, kOperationButtons), (QList<int>{IDC_SEARCH, IDC_CONNECT, IDC_OPEN, IDC_EXIT}));
        QCOMPARE(EnabledOf(f, kExtendedOptions), QList<int>{});
        for (const int id : {IDC_HELP, IDC_SERIAL, IDC_16F877, IDC_WATCHDOG, IDC_POWER_UP_TIMER,
                             IDC_CP_OFF, IDC_CP_ALL, IDC_AUTO_ERASE, IDC_SEARCH_TEXT, IDC_VERSION_TEXT})
            QVERIFY2(f.IsEnabled(id), qPrintable(QString::number(id)));
        QCOMPARE(f.Find<QLineEdit>(IDC_VERSION_TEXT)->maxLength(), 16);
        QCOMPARE(f.sink.messages, Messages{});
        QVERIFY(f.Window().SplashDialog() != nullptr);
    }

    void restoresTheOpenMethodAndItsTextFromTheProfile_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("storedText"); // empty: no text stored for the method
        QTest::addColumn<int>("checkedRadio");   // 0: none checked
        QTest::addColumn<QString>("searchText");
        QTest::newRow("serial, nothing stored") << QString("0") << QString("") << IDC_SERIAL << QString("Enter Device Serial Number here.");
        QTest::newRow("description, stored") << QString("1") << QString("TVR-IOB") << IDC_DESCRIPTION << QString("TVR-IOB");
        QTest::newRow("device number, nothing stored") << QString("2") << QString("") << IDC_DEVICE_NUMBER << QString("0");
        QTest::newRow("no such method") << QString("7") << QString("") << 0 << QString("0");
    }
    void restoresTheOpenMethodAndItsTextFromTheProfile()
    {
        QFETCH(QString, method);
        QFETCH(QString, storedText);
        QFETCH(int, checkedRadio);
        QFETCH(QString, searchText);
        WindowFixture f;
        f.SetProfileValue("ProgSerDesc", method);
        if (!storedText.isEmpty())
            f.SetProfileValue(method == "0" ? "ProgSerialString" : "ProgDescString", storedText);
        f.Restart();
        for (const int id : {IDC_SERIAL, IDC_DESCRIPTION, IDC_DEVICE_NUMBER})
            QCOMPARE(f.Find<QRadioButton>(id)->isChecked(), id == checkedRadio);
        QCOMPARE(f.Find<QLineEdit>(IDC_SEARCH_TEXT)->text(), searchText);
    }

    void keepsTheControlTableInTabOrder()
    {
        WindowFixture f;
        const QList<int> expected = {
            IDC_SERIAL, IDC_DESCRIPTION, IDC_DEVICE_NUMBER, IDC_SEARCH, IDC_SEARCH_TEXT, IDC_CONNECT,
            IDC_16F84A, IDC_16F877, IDC_WRITE_VERSION, IDC_VERSION_TEXT, IDC_OPEN, IDC_VIEW,
            IDC_BLANK_CHECK, IDC_ERASE, IDC_PROGRAM, IDC_VERIFY, IDC_READ, IDC_WATCHDOG,
            IDC_POWER_UP_TIMER, IDC_BROWN_OUT, IDC_PROGRAM_MEM_WRITE, IDC_AUTO_ERASE, IDC_CP_OFF,
            IDC_CP_ALL, IDC_CP_1000, IDC_CP_1F00, IDC_EEPROM_PROTECT, IDC_EXIT, IDC_STATUS,
            IDC_HEX_FILE_NAME, IDC_DEBUGGER, IDC_HELP};
        QList<int> chain;
        QWidget* widget = f.Find<QWidget>(IDC_SERIAL);
        do {
            if (!widget->objectName().isEmpty() && widget->focusPolicy() != Qt::NoFocus)
                chain << widget->objectName().toInt();
            widget = widget->nextInFocusChain();
        } while (widget != f.Find<QWidget>(IDC_SERIAL));
        QCOMPARE(chain, expected);
        QCOMPARE(f.Find<QAbstractButton>(IDC_BLANK_CHECK)->text(), QStringLiteral("BLANK CHECK"));
        QCOMPARE(f.Find<QAbstractButton>(IDC_AUTO_ERASE)->text(), QStringLiteral("Enable Auto-Erase "));
        QCOMPARE(f.Find<QAbstractButton>(IDC_CP_1000)->text(), QStringLiteral("1000h-1FFFh "));
        QVERIFY(f.Find<QPushButton>(IDC_CONNECT)->isDefault());
    }

    void narrowsTheButtonMaskOutsideHelpModeOnly()
    {
        WindowFixture f;
        f.Window().SetButtonStates(CDownloadDlg::BUTTONS_ALL);
        QCOMPARE(EnabledOf(f, kOperationButtons), (QList<int>{IDC_SEARCH, IDC_CONNECT, IDC_OPEN, IDC_EXIT}));

        // A name of two characters counts as no file; three make View usable.
        f.Find<QLineEdit>(IDC_HEX_FILE_NAME)->setText(QStringLiteral("ab"));
        f.Window().UpdateData(true);
        f.Window().SetButtonStates(CDownloadDlg::BUTTONS_ALL);
        QVERIFY(!f.IsEnabled(IDC_VIEW));
        f.Find<QLineEdit>(IDC_HEX_FILE_NAME)->setText(QStringLiteral("a.x"));
        f.Window().UpdateData(true);
        f.Window().SetButtonStates(CDownloadDlg::BUTTONS_ALL);
        QVERIFY(f.IsEnabled(IDC_VIEW));
        QVERIFY2(!f.IsEnabled(IDC_PROGRAM), "no board is connected");

        f.Window().SetButtonStates(CDownloadDlg::BUTTONS_NONE);
        QCOMPARE(EnabledOf(f, kOperationButtons), QList<int>{});
        QVERIFY2(f.IsEnabled(IDC_HELP), "HELP is never disabled by a mask");

        f.Click(IDC_HELP);
        f.Window().SetButtonStates(CDownloadDlg::BUTTONS_IDLE);
        QCOMPARE(EnabledOf(f, kOperationButtons),
                 (QList<int>{IDC_SEARCH, IDC_CONNECT, IDC_WRITE_VERSION, IDC_OPEN, IDC_VIEW, IDC_EXIT}));
    }

    void storesTheSearchTextOfEachMethodOnTheUsersEditsOnly()
    {
        WindowFixture f;
        auto* search = f.Find<QLineEdit>(IDC_SEARCH_TEXT);
        f.Click(IDC_SERIAL);
        QCOMPARE(f.ProfileValue("ProgSerDesc"), QStringLiteral("0"));
        QCOMPARE(search->text(), QStringLiteral("Enter Device Serial Number here."));
        // a loaded text is not stored
        QCOMPARE(f.ProfileValue("ProgSerialString"), QString());

        search->selectAll();
        QTest::keyClicks(search, QStringLiteral("TVRA0001"));
        QCOMPARE(f.ProfileValue("ProgSerialString"), QStringLiteral("TVRA0001"));
        // each stored keystroke leaves the caret in place
        QCOMPARE(search->cursorPosition(), 8);

        f.Click(IDC_DEVICE_NUMBER);
        QCOMPARE(search->text(), QStringLiteral("0"));
        QCOMPARE(f.ProfileValue("ProgDevNmbr"), QString());
        f.Click(IDC_SERIAL);
        QCOMPARE(search->text(), QStringLiteral("TVRA0001"));

        f.Restart();
        QVERIFY(f.Find<QRadioButton>(IDC_SERIAL)->isChecked());
        QCOMPARE(f.Find<QLineEdit>(IDC_SEARCH_TEXT)->text(), QStringLiteral("TVRA0001"));
    }

    void helpModeDescribesEachControlInsteadOfActing()
    {
        WindowFixture f;
        f.Click(IDC_HELP);
        QVERIFY(f.Window().IsHelpMode());
        QCOMPARE(f.Window().HelpTint(), CDownloadDlg::HELP_TINT_ON);
        CHelpDlg* help = f.Window().HelpDialog();
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->windowTitle(), QStringLiteral("Help Dialog"));
        QCOMPARE(help->Lines(), (QStringList{"Click on each control for a description", "of its function."}));
        QCOMPARE(EnabledOf(f, kOperationButtons), kOperationButtons);

        f.Click(IDC_PROGRAM);
        QCOMPARE(help->Lines(), Lines(HelpLines(IDC_PROGRAM)));
        QCOMPARE(help->Lines().size(), 11);

        f.Click(IDC_16F877);
        QCOMPARE(help->Lines().size(), 6);
        // the processor radios act in help mode
        QCOMPARE(EnabledOf(f, kExtendedOptions), kExtendedOptions);

        f.Click(IDC_WATCHDOG);
        QCOMPARE(help->Lines().size(), 2);
        QVERIFY2(!f.Find<QCheckBox>(IDC_WATCHDOG)->isChecked(), "the click still toggles the box");

        f.Click(IDC_DESCRIPTION);
        QCOMPARE(help->Lines().last(), QStringLiteral("board maker's web site."));
        QCOMPARE(f.Find<QLineEdit>(IDC_SEARCH_TEXT)->text(), QStringLiteral("Enter Device Description here."));

        f.Window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.Window()));
        f.Window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.Window()));
        f.Click(IDC_EXIT);
        QCOMPARE(help->Lines(), QStringList{"Program Exit."});
        QVERIFY(f.Window().isVisible());

        f.Find<QWidget>(IDC_SEARCH_TEXT)->setFocus();
        QTRY_COMPARE(help->Lines().size(), 10);

        f.Click(IDC_HELP);
        // no second Help Dialog
        QCOMPARE(f.Window().HelpDialog(), help);
        QCOMPARE(help->Lines().size(), 2);
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
        QCOMPARE(EnabledOf(f, kOperationButtons), (QList<int>{IDC_SEARCH, IDC_CONNECT, IDC_OPEN, IDC_EXIT}));

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
        QCOMPARE(f.sink.messages,
                 Messages{"Error: Can't Load ftd2xx.dll driver software -- The Search and Connect "
                          "functions will not work."});
        QVERIFY(f.Window().windowTitle().startsWith("TVR-IO Download"));

        f.Restart(QUILLET_PARTIAL_DRIVER);
        QCOMPARE(f.sink.messages, Messages{"Error: Can't Find FT_ResetDevice"});
    }

    void appliesAWordAndKeepsWhatTheOtherProcessorSet()
    {
        WindowFixture f;
        f.Click(IDC_16F877);
        // A configuration word (0x3FF2: power-up timer on) keeps what the user typed elsewhere.
        f.Find<QLineEdit>(IDC_VERSION_TEXT)->setText(QStringLiteral("typed"));
        f.Window().ApplyConfigWord(0x3FF2);
        QVERIFY(f.Find<QCheckBox>(IDC_POWER_UP_TIMER)->isChecked());
        QCOMPARE(f.Find<QLineEdit>(IDC_VERSION_TEXT)->text(), QStringLiteral("typed"));
        // Back on the 16F84A a partial choice stays selected, shown in a disabled control.
        f.Find<QRadioButton>(IDC_CP_1000)->click();
        f.Click(IDC_16F84A);
        QVERIFY(f.Find<QRadioButton>(IDC_CP_1000)->isChecked());
        QVERIFY(!f.IsEnabled(IDC_CP_1000));
    }

    void closesTheSplashWhenItsTimeIsUp()
    {
        WindowFixture f;
        QVERIFY(f.Window().SplashDialog()->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(f.Window().SplashDialog() == nullptr, 4000);
    }

    void aboutBoxNamesTheProgramAndVersion()
    {
        WindowFixture f;
        CAboutBoxDlg about(&f.Window());
        QCOMPARE(about.windowTitle(), QStringLiteral("About Quillet1"));
        QStringList texts;
        for (const QLabel* label : about.findChildren<QLabel*>())
            texts << label->text();
        QVERIFY(texts.contains(QStringLiteral("Quillet1 Version 1.0")));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
