// Open and View as a user meets them: the file chosen, its check reported in the window, the
// options taken from its configuration word, and its listing in the Memory Window.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>

#include "WindowFixture.h"
#include "app/SettingsProfile.h"
#include "help/HelpTexts.h"
#include "res/ControlIds.h"

namespace {

using Messages = std::vector<std::string>;

// The option controls in one text: the index of the checked code-protection radio, then the
// watchdog, power-up timer, brown-out, program memory write, EEPROM and debugger boxes.
const QString kStartOptions = "CP0 WDT1 PWRT0 BOR1 WRT0 CPD0 ICD0";
// The fixtures' configuration words (0x3FF2 in blink84a and the malformed files, 0x3D72 in
// counter877) as the rows read them: protection off, power-up timer on, watchdog off.
const QString kFileOptions = "CP0 WDT0 PWRT1 BOR1 WRT0 CPD0 ICD0";
// Far longer than checking a small file takes under the sanitizers, far shorter than reading
// /dev/zero until memory runs out.
constexpr qint64 kAtOnceMilliseconds = 2000;

// blink84a.hex as View lists it, read by hand from the file: reset vector, main, the loop in
// the last words, ID words 1 to 4, __CONFIG 0x3FF2, EEPROM "TVR" and 12 34 A0 A1 A2 A3.
const QStringList kBlinkListing = {
    "Program Data:", "0000:   2805   3FFF   3FFF   3FFF", "0004:   0009   1683   0186   1283",
    "0008:   0186   2BF7   3FFF   3FFF", "03F4:   3FFF   3FFF   3FFF   3001",
    "03F8:   0686   23FB   2BF7   0B8C", "03FC:   2BFB   0B8D   2BFB   0008", "Configuration Data:",
    "2000:   xxx1   xxx2   xxx3   xxx4", "2004:   xxxx   xxxx   xxxx   3FF2", "EEPROM Data:",
    "2100:   54   56   52   12", "2104:   34   A0   A1   A2", "2108:   A3   xx   xx   xx"};

QString Hex(const QString& name)
{
    return QStringLiteral(QUILLET_TEST_DATA_DIR "/hex/") + name;
}

QString OptionsShown(const WindowFixture& f)
{
    const int radios[] = {IDC_CP_OFF, IDC_CP_ALL, IDC_CP_1000, IDC_CP_1F00};
    int protection = -1;
    for (int i = 0; i < int(std::size(radios)); ++i)
        protection = f.Find<QRadioButton>(radios[i])->isChecked() ? i : protection;
    QString text = QStringLiteral("CP%1").arg(protection);
    for (const auto& [name, id] : {std::pair{"WDT", IDC_WATCHDOG}, {"PWRT", IDC_POWER_UP_TIMER},
                                   {"BOR", IDC_BROWN_OUT}, {"WRT", IDC_PROGRAM_MEM_WRITE},
                                   {"CPD", IDC_EEPROM_PROTECT}, {"ICD", IDC_DEBUGGER}})
        text += QStringLiteral(" %1%2").arg(name).arg(f.Find<QCheckBox>(id)->isChecked() ? 1 : 0);
    return text;
}

void Open(WindowFixture& f, const QString& path)
{
    f.Window().SetHexFileChooser([path](const QString&) { return path; });
    f.Click(IDC_OPEN);
}

} // namespace

class ImageWindowTest : public QObject {
    Q_OBJECT

private slots:
    void opensAndChecksTheChosenFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("on16F877");
        QTest::addColumn<QString>("message"); // empty: the check passes
        QTest::addColumn<QString>("options");
        const QString tooLarge = "Selected HEX file is too large to fit into device FLASH.";
        const QString checksum = "Checksum error in HEX file.";
        const QString cannotOpen = "Error: HEX file could not be opened.";
        QTest::newRow("gpasm 16F84A") << Hex("blink84a.hex") << false << "" << kFileOptions;
        QTest::newRow("gpasm 16F877") << Hex("counter877.hex") << true << "" << kFileOptions;
        QTest::newRow("16F877 file, 16F84A chosen") << Hex("counter877.hex") << false << tooLarge << kFileOptions;
        QTest::newRow("checksum after config") << Hex("malformed/checksum-after-config.hex") << false << checksum << kFileOptions;
        QTest::newRow("config of bad checksum") << Hex("malformed/bad-config-checksum.hex") << false << checksum << kStartOptions;
        QTest::newRow("directory") << Hex("") << false << cannotOpen << kStartOptions;
        QTest::newRow("device") << QString("/dev/zero") << false << cannotOpen << kStartOptions;
    }
    void opensAndChecksTheChosenFile()
    {
        QFETCH(QString, file);
        QFETCH(bool, on16F877);
        QFETCH(QString, message);
        QFETCH(QString, options);
        WindowFixture f;
        if (on16F877)
            f.Click(IDC_16F877);
        f.Click(IDC_AUTO_ERASE); // the user's own choice, which no file carries
        QElapsedTimer clock;
        clock.start();
        Open(f, file);
        QVERIFY(clock.elapsed() < kAtOnceMilliseconds);

        const bool passes = message.isEmpty();
        const QString path = QFileInfo(file).absoluteFilePath();
        QCOMPARE(f.sink.messages, passes ? Messages{} : Messages{message.toStdString()});
        QCOMPARE(f.Find<QLineEdit>(IDC_HEX_FILE_NAME)->text(), passes ? path : QString());
        QCOMPARE(f.Window().windowTitle(),
                 CDownloadDlg::WINDOW_TITLE + (passes ? QFileInfo(file).fileName() : QString()));
        QCOMPARE(OptionsShown(f), options);
        QVERIFY(f.Find<QCheckBox>(IDC_AUTO_ERASE)->isChecked());
        QCOMPARE(f.IsEnabled(IDC_VIEW), passes);
        // The choice is remembered even when its check fails.
        QCOMPARE(f.ProfileValue(SettingsProfile::kKeyHexFilePath), path);
    }

    void cancelChangesNothingAndTheDialogStartsAtTheRememberedFile()
    {
        WindowFixture f;
        f.SetProfileValue(SettingsProfile::kKeyHexFilePath, Hex("counter877.hex"));
        f.Restart();
        QStringList startedAt;
        QStringList answers = {Hex("blink84a.hex"), QString()}; // chosen, then cancelled
        f.Window().SetHexFileChooser([&](const QString& initial) {
            startedAt << initial;
            return answers.takeFirst();
        });
        f.Click(IDC_OPEN);
        f.Click(IDC_WATCHDOG); // the user's own change, which a cancelled Open must keep
        f.Click(IDC_OPEN);
        QCOMPARE(startedAt, (QStringList{Hex("counter877.hex"), Hex("blink84a.hex")}));
        QCOMPARE(OptionsShown(f), QStringLiteral("CP0 WDT1 PWRT1 BOR1 WRT0 CPD0 ICD0")); // watchdog on again
        QCOMPARE(f.Window().windowTitle(), CDownloadDlg::WINDOW_TITLE + QStringLiteral("blink84a.hex"));
        QCOMPARE(f.Find<QLineEdit>(IDC_HEX_FILE_NAME)->text(), Hex("blink84a.hex"));
        QVERIFY(f.IsEnabled(IDC_VIEW));
    }

    void viewListsTheFileInOneMemoryWindowUntilItIsClosed()
    {
        WindowFixture f;
        Open(f, Hex("blink84a.hex"));
        f.Click(IDC_VIEW);
        QPointer<CMemoryWindowDlg> window = f.Window().MemoryWindow();
        QVERIFY(window && window->isVisible() && !window->isModal());
        QCOMPARE(window->parentWidget(), &f.Window()); // owned: in front of it, gone with it
        f.Click(IDC_VIEW);
        QCOMPARE(f.Window().MemoryWindow(), window.data());
        QCOMPARE(window->Lines(), kBlinkListing);
        QCOMPARE(f.sink.messages, Messages{});

        // Columns line up only when every character is equally wide; no line may need a
        // sideways scroll.
        auto* list = window->findChild<QListWidget*>(QString::number(IDC_MEMORY_LIST));
        const QFontMetricsF metrics(list->font());
        for (const QChar c : QStringLiteral("0123456789ABCDEFx: "))
            QCOMPARE(metrics.horizontalAdvance(c), metrics.horizontalAdvance(QLatin1Char('0')));
        for (const QString& line : kBlinkListing)
            QVERIFY(metrics.horizontalAdvance(line) < list->viewport()->width());

        // Enter leaves the window; Esc and the close box release it, and View opens a new one.
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(f.Window().MemoryWindow(), window.data());
        QTest::keyClick(list, Qt::Key_Escape);
        QVERIFY(!f.Window().MemoryWindow());
        QTRY_VERIFY(!window);
        f.Click(IDC_VIEW);
        window = f.Window().MemoryWindow();
        QCOMPARE(window->Lines(), kBlinkListing);
        window->close();
        QVERIFY(!f.Window().MemoryWindow());
        QTRY_VERIFY(!window);

        f.Click(IDC_VIEW);
        window = f.Window().MemoryWindow();
        f.Restart();
        QVERIFY(!window);
    }

    void helpModeOpensNothing()
    {
        WindowFixture f;
        f.Window().SetHexFileChooser([](const QString&) -> QString { qFatal("no dialog in help mode"); });
        f.Click(IDC_HELP);
        f.Click(IDC_OPEN);
        QCOMPARE(f.Window().HelpDialog()->Lines().size(), int(HelpLines(IDC_OPEN).size()));
        f.Click(IDC_VIEW);
        QCOMPARE(f.Window().HelpDialog()->Lines().first(), QString::fromStdString(HelpLines(IDC_VIEW)[0]));
        QVERIFY(f.Window().MemoryWindow() == nullptr);
        QCOMPARE(f.ProfileValue(SettingsProfile::kKeyHexFilePath), QString());
        QCOMPARE(f.sink.messages, Messages{});
    }
};

QTEST_MAIN(ImageWindowTest)
#include "ImageWindowTest.moc"
