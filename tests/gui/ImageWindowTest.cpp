// Open and View as a user meets them: the file chosen, its check reported in the window, the
// options taken from its configuration word, and its listing in the Memory Window (the
// other listings are MemoryListingTest's).
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include "WindowFixture.h"
#include "app/SettingsProfile.h"
#include "res/ControlIds.h"

namespace {

using Messages = std::vector<std::string>;

// Far longer than checking a small file takes under the sanitizers, far shorter than reading
// /dev/zero until memory runs out.
constexpr qint64 kAtOnceMilliseconds = 2000;

// blink84a.hex as View lists it: the golden listing, read by hand from the file.
QStringList BlinkListing()
{
    QFile file(QStringLiteral(QUILLET_TEST_DATA_DIR "/golden/view-blink84a.txt"));
    QStringList lines;
    if (file.open(QIODevice::ReadOnly | QIODevice::Text))
        while (!file.atEnd())
            if (const QString line = QString::fromUtf8(file.readLine()).chopped(1); !line.startsWith('#'))
                lines << line;
    return lines;
}
const QStringList kBlinkListing = BlinkListing();

// As the system writes it: under wine the build tree's path gains its drive letter.
QString Hex(const QString& name)
{
    return QFileInfo(QStringLiteral(QUILLET_TEST_DATA_DIR "/hex/") + name).absoluteFilePath();
}

// The two options the fixtures' configuration word 0x3FF2 (power-up timer on, watchdog off)
// sets otherwise than the window starts with; ConfigWordTest has the rest of the word.
QString Timers(const WindowFixture& f)
{
    return QStringLiteral("WDT%1 PWRT%2")
        .arg(f.Find<QCheckBox>(IDC_WATCHDOG)->isChecked() ? 1 : 0)
        .arg(f.Find<QCheckBox>(IDC_POWER_UP_TIMER)->isChecked() ? 1 : 0);
}

} // namespace

class ImageWindowTest : public QObject {
    Q_OBJECT

private slots:
    // A passed check, a failed one after a configuration record, and a file refused before
    // it is read; which file gives which result is HexCheckTest's.
    void opensAndChecksTheChosenFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message"); // empty: the check passes
        QTest::addColumn<QString>("timers");
        QTest::newRow("gpasm 16F84A") << Hex("blink84a.hex") << "" << "WDT0 PWRT1";
        QTest::newRow("checksum after config")
            << Hex("malformed/checksum-after-config.hex") << "Checksum error in HEX file." << "WDT0 PWRT1";
#if !defined(Q_OS_WIN) // the Windows reader's refusal of devices is a core test there
        QTest::newRow("device") << QString("/dev/zero") << "Error: HEX file could not be opened." << "WDT1 PWRT0";
#endif
    }
    void opensAndChecksTheChosenFile()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        QFETCH(QString, timers);
        WindowFixture f;
        f.Window().SetHexFileChooser([file](const QString&) { return file; });
        QElapsedTimer clock;
        clock.start();
        f.Click(IDC_OPEN);
        QVERIFY(clock.elapsed() < kAtOnceMilliseconds);

        const bool passes = message.isEmpty();
        QCOMPARE(f.sink.messages, passes ? Messages{} : Messages{message.toStdString()});
        QCOMPARE(f.Find<QLineEdit>(IDC_HEX_FILE_NAME)->text(), passes ? file : QString());
        QCOMPARE(f.Window().windowTitle(),
                 CDownloadDlg::WINDOW_TITLE + (passes ? QFileInfo(file).fileName() : QString()));
        QCOMPARE(Timers(f), timers);
        QCOMPARE(f.IsEnabled(IDC_VIEW), passes);
        // The choice is remembered even when its check fails.
        QCOMPARE(f.ProfileValue(SettingsProfile::kKeyHexFilePath), file);
    }

    // Open's own file dialog (its texts are the golden window test's) starts at the
    // remembered file, and the file accepted there is opened; cancelled, it opens nothing,
    // so the user's own change stays.
    void openAsksWithItsFileDialog()
    {
        WindowFixture f;
        f.SetProfileValue(SettingsProfile::kKeyHexFilePath, Hex("blink84a.hex"));
        f.Restart();
        QStringList seen;
        bool cancel = false;
        QTimer answer; // dies with the test, so it never fires into a later one
        answer.setSingleShot(true);
        QObject::connect(&answer, &QTimer::timeout, [&seen, &cancel] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen << dialog->selectedFiles();
            seen << QString::number(dialog->fileMode());
            cancel ? dialog->reject() : static_cast<QDialog*>(dialog)->accept(); // accept checks the choice
        });
        answer.start(0);
        f.Click(IDC_OPEN);
        QCOMPARE(seen, (QStringList{Hex("blink84a.hex"), QString::number(QFileDialog::ExistingFile)}));
        QCOMPARE(f.Find<QLineEdit>(IDC_HEX_FILE_NAME)->text(), Hex("blink84a.hex"));
        QCOMPARE(f.sink.messages, Messages{});

#if !defined(_WIN32)
        // Windows's own dialog closed from code may come back accepted (it did under wine);
        // Qt's dialog reports the Cancel, and the handler is the same code on both systems.
        f.Click(IDC_WATCHDOG);
        cancel = true;
        answer.start(0);
        f.Click(IDC_OPEN);
        QCOMPARE(Timers(f), QStringLiteral("WDT1 PWRT1"));
#endif
    }

    // Open starts at the remembered file, and a cancelled Open changes nothing: View then
    // lists the file chosen before in one Memory Window, until Esc or the close box.
    void cancelledOpenKeepsTheFileThatViewLists()
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
        QCOMPARE(Timers(f), QStringLiteral("WDT1 PWRT1")); // watchdog on again
        QCOMPARE(f.Window().windowTitle(), CDownloadDlg::WINDOW_TITLE + QStringLiteral("blink84a.hex"));
        QCOMPARE(f.Find<QLineEdit>(IDC_HEX_FILE_NAME)->text(), Hex("blink84a.hex"));

        f.Click(IDC_VIEW);
        QPointer<CMemoryWindowDlg> window = f.Window().MemoryWindow();
        QVERIFY(window && window->isVisible() && !window->isModal());
        QCOMPARE(window->parentWidget(), &f.Window()); // owned: in front of it, gone with it
        f.Click(IDC_VIEW);
        QCOMPARE(f.Window().MemoryWindow(), window.data());
        QCOMPARE(window->Lines(), kBlinkListing);
        QCOMPARE(f.sink.messages, Messages{});

        // Columns line up only when every character is equally wide; no line scrolls sideways.
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

        f.Click(IDC_VIEW); // left open: it goes with the main window, under the sanitizers' eyes
    }

    void helpModeOpensNothing()
    {
        WindowFixture f;
        f.Window().SetHexFileChooser([](const QString&) -> QString { qFatal("no dialog in help mode"); });
        f.Click(IDC_HELP);
        f.Click(IDC_OPEN);
        f.Click(IDC_VIEW);
        QVERIFY(f.Window().MemoryWindow() == nullptr);
        QCOMPARE(f.sink.messages, Messages{});
    }
};

QTEST_MAIN(ImageWindowTest)
#include "ImageWindowTest.moc"
