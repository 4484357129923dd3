// A user's whole job against an emulated board: program a non-blank target, verify it and read
// it back (what Verify finds in a changed chip is the golden operations' business); and the
// window kept painted while the operations run on its thread.
#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QTimer>
#include <QProgressBar>
#include <QSet>
#include <QTest>

#include "OperationWindow.h"
#include "app/KeepPainted.h"
#include "app/CMemoryWindowDlg.h"
#include "image/FirmwareImage.h"
#include "image/HexFile.h"
#include "image/MemoryListing.h"

namespace {

// Calls `seen` for every event of one type the watched object receives, before it handles it.
class EventSpy : public QObject {
public:
    EventSpy(QObject& watched, QEvent::Type type, std::function<void()> seen)
        : type_(type), seen_(std::move(seen))
    {
        watched.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == type_)
            seen_();
        return false;
    }

private:
    QEvent::Type type_;
    std::function<void()> seen_;
};

// Records the value a progress bar showed each time it was painted.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QProgressBar* bar) : bar_(bar) { bar->installEventFilter(this); }
    QSet<int> painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted << bar_->value();
        return false;
    }

private:
    QProgressBar* bar_;
};

} // namespace

class RoundTripWindowTest : public QObject {
    Q_OBJECT

private slots:
    void programsVerifiesAndReadsAsAUserWould_data()
    {
        QTest::addColumn<int>("processor");
        QTest::newRow("16F84A") << static_cast<int>(TargetProcessor::PIC16F84A);
        QTest::newRow("16F877") << static_cast<int>(TargetProcessor::PIC16F877);
    }
    void programsVerifiesAndReadsAsAUserWould()
    {
        QFETCH(int, processor);
        OperationWindow w(static_cast<TargetProcessor>(processor));
        w.SetChipWord(kSomeWord, 0);
        w.f.Click(IDC_AUTO_ERASE);
        QCOMPARE(w.Run(IDC_PROGRAM), Messages{"Programming complete."});
        QCOMPARE(w.ChipWord(kSomeWord), 0x3FFFu); // erased, and left erased by the file
        QCOMPARE(w.Run(IDC_VERIFY), Messages{"Verify passed"});

        // Read sets the options from the chip, whatever the window showed before.
        w.f.Find<QCheckBox>(IDC_WATCHDOG)->setChecked(true);
        QCOMPARE(w.Run(IDC_READ), Messages{});
        QVERIFY(!w.f.IsChecked(IDC_WATCHDOG)); // both fixtures have the watchdog off
        QVERIFY(w.f.IsChecked(IDC_POWER_UP_TIMER));
        const QStringList listing = w.f.Window().MemoryWindow()->Lines();
        // The program lines are the file's words, four a line, then "Configuration Data:".
        FirmwareImage file;
        QVERIFY(LoadHexImage(w.HexPath().toStdString(), HexLoadMode::Programming, file));
        const auto target = static_cast<TargetProcessor>(processor);
        const int programLines = GetProcessorProfile(target).programWords / 4;
        QStringList expected;
        for (const std::string& line : ReadListing(file, target))
            expected << QString::fromStdString(line);
        QCOMPARE(listing.mid(0, programLines + 1), expected.mid(0, programLines + 1));

        QVERIFY(w.f.Window().IsConnected());
    }

    void keepsTheWindowPaintedWhileAnOperationRuns()
    {
        OperationWindow w(TargetProcessor::PIC16F877);
        w.f.Window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.f.Window()));
        PaintRecorder bar(w.f.Find<QProgressBar>(IDC_PROGRESS));

        // The handler runs on the window's thread, and no event is processed between the
        // recorder's start and the click: every paint recorded happened inside the operation.
        QCOMPARE(w.Run(IDC_PROGRAM), Messages{"Programming complete."});
        QVERIFY2(bar.painted.size() >= 90, qPrintable(QString::number(bar.painted.size())));
        QVERIFY(bar.painted.contains(50));
        QVERIFY(bar.painted.contains(99));

        // Read opens the Memory Window; it shows "Reading..." before the stream starts.
        QStringList shownAtStart;
        bool visibleAtStart = false;
        w.clock.atPause = [&](unsigned) {
            if (CMemoryWindowDlg* memory = w.f.Window().MemoryWindow(); memory && shownAtStart.isEmpty()) {
                shownAtStart = memory->Lines();
                visibleAtStart = memory->isVisible();
            }
        };
        w.f.Click(IDC_READ);
        QCOMPARE(shownAtStart, QStringList{"Reading..."});
        QVERIFY(visibleAtStart);
    }

    // The window manager's close box during a Program stream: the stream runs to its end and
    // the window closes after it, never half way through.
    void closeRequestWaitsForTheOperationToEnd()
    {
        OperationWindow w(TargetProcessor::PIC16F84A);
        CDownloadDlg& window = w.f.Window();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        unsigned wordZeroAtClose = 0; // the chip's first program word when the request arrived
        bool closeSeen = false;
        EventSpy spy(window, QEvent::Close, [&] {
            closeSeen = true;
            EmuGetChipWord(w.Board(), 0x0000, &wordZeroAtClose);
        });
        // Posted at the first pause, handed over by the first progress step of the stream.
        w.clock.atPause = [&](unsigned) {
            if (!closeSeen)
                QCoreApplication::postEvent(window.windowHandle(), new QCloseEvent);
        };
        QCOMPARE(w.Run(IDC_PROGRAM), Messages{"Programming complete."});
        QVERIFY(closeSeen);
        QCOMPARE(wordZeroAtClose, 0x2805u); // goto 5: the first block was on the chip
        QVERIFY(window.isVisible());
        QTRY_VERIFY(!window.isVisible());
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
