// A user's whole job against an emulated board: program a non-blank target, verify it, read
// it back, and see Verify find what was changed in the chip; and the window kept painted
// while the operations run on its thread.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTimer>
#include <QProgressBar>
#include <QRadioButton>
#include <QSet>
#include <QTest>

#include "OperationWindow.h"
#include "app/KeepPainted.h"
#include "app/CMemoryWindowDlg.h"
#include "image/FirmwareImage.h"
#include "image/HexFile.h"
#include "image/MemoryListing.h"
#include "support/TraceFile.h"

namespace {

using Messages = std::vector<std::string>;

constexpr unsigned kSomeWord = 0x0010;    // a program word the fixtures leave erased
constexpr unsigned kChangedWord = 0x0005; // a program word both fixtures supply
constexpr unsigned kEepromLocation5 = 0x2105;

// Records what a widget showed each time it was painted, while armed.
class PaintRecorder : public QObject {
public:
    PaintRecorder(QWidget* widget, std::function<int()> shown) : shown_(std::move(shown))
    {
        widget->installEventFilter(this);
    }
    bool armed = false;
    QList<int> painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (armed && event->type() == QEvent::Paint)
            painted << shown_();
        return false;
    }

private:
    std::function<int()> shown_;
};

} // namespace

class RoundTripWindowTest : public QObject {
    Q_OBJECT

private slots:
    void programsVerifiesAndReadsAsAUserWould_data()
    {
        QTest::addColumn<int>("processor");
        QTest::addColumn<int>("radio");     // the processor the board reports, selected on Connect
        QTest::addColumn<int>("lines");     // of the Read listing
        QTest::addColumn<int>("lastBlock"); // the bar after Read: floor(100 * (blocks - 1) / blocks)
        QTest::newRow("16F84A") << static_cast<int>(TargetProcessor::PIC16F84A) << IDC_16F84A << 276 << 98;
        QTest::newRow("16F877") << static_cast<int>(TargetProcessor::PIC16F877) << IDC_16F877 << 2116 << 99;
    }
    void programsVerifiesAndReadsAsAUserWould()
    {
        QFETCH(int, processor);
        QFETCH(int, radio);
        QFETCH(int, lines);
        QFETCH(int, lastBlock);
        OperationWindow w(static_cast<TargetProcessor>(processor));
        QVERIFY(w.f.Find<QRadioButton>(radio)->isChecked());
        auto* bar = w.f.Find<QProgressBar>(IDC_PROGRESS);
        TraceFile trace(QTest::currentDataTag());

        w.SetChipWord(kSomeWord, 0);
        w.f.Click(IDC_PROGRAM);
        QCOMPARE(w.f.sink.messages, Messages{"Device is not blank. Either erase the device or select Auto Erase."});
        QVERIFY(w.f.Window().IsConnected());

        w.f.Click(IDC_AUTO_ERASE);
        w.f.sink.messages.clear();
        w.f.Click(IDC_PROGRAM);
        QCOMPARE(w.f.sink.messages, Messages{"Programming complete."});
        QCOMPARE(bar->value(), 99);
        QCOMPARE(w.ChipWord(kSomeWord), 0x3FFFu); // erased, and left erased by the file

        w.f.sink.messages.clear();
        w.f.Click(IDC_VERIFY);
        QCOMPARE(w.f.sink.messages, Messages{"Verify passed"});

        // Read sets the options from the chip, whatever the window showed before.
        auto* watchdog = w.f.Find<QCheckBox>(IDC_WATCHDOG);
        watchdog->setChecked(true);
        w.f.sink.messages.clear();
        w.f.Click(IDC_READ);
        QCOMPARE(w.f.sink.messages, Messages{});
        QVERIFY(!watchdog->isChecked()); // both fixtures have the watchdog off
        QVERIFY(w.f.Find<QCheckBox>(IDC_POWER_UP_TIMER)->isChecked());
        QCOMPARE(bar->value(), lastBlock);
        const QStringList listing = w.f.Window().MemoryWindow()->Lines();
        QCOMPARE(listing.size(), lines);
        // The program lines are the file's words: no heading, four words a line.
        FirmwareImage file;
        QVERIFY(LoadHexImage(w.HexPath().toStdString(), HexLoadMode::Programming, file));
        const std::vector<std::string> expected = ReadListing(file, static_cast<TargetProcessor>(processor));
        const int programLines = GetProcessorProfile(static_cast<TargetProcessor>(processor)).programWords / 4;
        for (int line = 0; line < programLines; ++line)
            QCOMPARE(listing[line].toStdString(), expected[static_cast<std::size_t>(line)]);
        QCOMPARE(listing[programLines], QStringLiteral("Configuration Data:"));
        QVERIFY(w.f.Window().IsConnected());

        // What Verify finds when the chip no longer holds the file.
        const unsigned word = w.ChipWord(kChangedWord);
        w.SetChipWord(kChangedWord, word ^ 1);
        w.f.sink.messages.clear();
        w.f.Click(IDC_VERIFY);
        QCOMPARE(w.f.sink.messages, Messages{"Verify failed"});
        w.SetChipWord(kChangedWord, word);

        const unsigned byte = w.ChipWord(kEepromLocation5);
        w.SetChipWord(kEepromLocation5, byte ^ 0xFF);
        w.f.sink.messages.clear();
        w.f.Click(IDC_VERIFY);
        QCOMPARE(w.f.sink.messages, Messages{"EE Data Verify failed at 2105h (EE location 5)"});
        w.SetChipWord(kEepromLocation5, byte);

        w.f.Click(IDC_POWER_UP_TIMER);
        w.f.sink.messages.clear();
        w.f.Click(IDC_VERIFY);
        QCOMPARE(w.f.sink.messages, Messages{"Configuration verify failed (Power Up Timer Setting)"});
        QVERIFY(w.f.Window().IsConnected());
    }

    void keepsTheWindowPaintedWhileAnOperationRuns()
    {
        OperationWindow w(TargetProcessor::PIC16F877);
        w.f.Window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.f.Window()));
        auto* bar = w.f.Find<QProgressBar>(IDC_PROGRESS);
        PaintRecorder bars(bar, [bar] { return bar->value(); });

        // The handler runs on the window's thread: every paint recorded while the click is
        // being handled happened inside the operation.
        bars.armed = true;
        w.f.Click(IDC_PROGRAM);
        bars.armed = false;
        QCOMPARE(w.f.sink.messages, Messages{"Programming complete."});
        const QSet<int> positions(bars.painted.begin(), bars.painted.end());
        QVERIFY2(positions.size() >= 90, qPrintable(QString::number(positions.size())));
        QVERIFY(positions.contains(50));
        QVERIFY(positions.contains(99));

        // Read opens the Memory Window; it shows "Reading..." before the stream starts.
        QStringList shownAtStart;
        bool visibleAtStart = false;
        w.clock.atPause = [&](unsigned) {
            if (CMemoryWindowDlg* memory = w.f.Window().MemoryWindow(); memory && shownAtStart.isEmpty()) {
                shownAtStart = memory->Lines();
                visibleAtStart = memory->isVisible();
            }
        };
        bars.painted.clear();
        bars.armed = true;
        w.f.Click(IDC_READ);
        bars.armed = false;
        QCOMPARE(shownAtStart, QStringList{"Reading..."});
        QVERIFY(visibleAtStart);
        QVERIFY(bars.painted.size() >= 90);
        QCOMPARE(w.f.Window().MemoryWindow()->Lines().size(), 2116);
    }

    // The real program's pause: it takes its full time, and what the window system has
    // queued meanwhile (here a timer) is handled during it, not after the operation.
    void realPauseKeepsTheEventsOtherThanInputGoing()
    {
        constexpr unsigned kPause = 30; // milliseconds, as long as a short protocol pause
        bool fired = false;
        QTimer::singleShot(0, [&fired] { fired = true; });
        QElapsedTimer elapsed;
        elapsed.start();
        PauseKeepingWindowsPainted(kPause);
        QVERIFY(elapsed.elapsed() >= kPause);
        QVERIFY(fired);
    }
};

QTEST_MAIN(RoundTripWindowTest)
#include "RoundTripWindowTest.moc"
