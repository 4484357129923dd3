// Every operation of the window against tests/data/golden/operations.txt, which was written
// from the original's account of each operation and not from this program: the D2XX calls it
// makes with their arguments and pauses, the messages it shows and the window it leaves. The
// cases here only set the scene; every expectation is in the golden file.
#include <QApplication>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>

#include "OperationWindow.h"
#include "app/CTargetSelectDlg.h"
#include "support/TraceFile.h"

namespace {

struct GoldenLine {
    int number; // in the file
    QString text;
};

struct GoldenCase {
    std::vector<GoldenLine> calls; // repeats unrolled
    QStringList messages;
    std::map<QString, QString> window; // key: the rest of its line
};

std::map<QString, GoldenCase> ReadGolden()
{
    QFile file(QStringLiteral(QUILLET_TEST_DATA_DIR "/golden/operations.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    std::map<QString, GoldenCase> cases;
    GoldenCase* current = nullptr;
    std::vector<GoldenLine> repeated;
    int turns = 0; // inside "repeat N" while non-zero
    int number = 0;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        ++number;
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith(QLatin1String("== "))) {
            current = &cases[line.mid(3)];
            continue;
        }
        if (!current)
            qFatal("operations.txt:%d: a line before the first case", number);
        const QString key = line.section(' ', 0, 0);
        if (key == QLatin1String("repeat")) {
            turns = line.section(' ', 1).toInt();
        } else if (key == QLatin1String("end")) {
            for (int turn = 0; turn < turns; ++turn)
                current->calls.insert(current->calls.end(), repeated.begin(), repeated.end());
            repeated.clear();
            turns = 0;
        } else if (line.startsWith(QLatin1String("FT_")) || key == QLatin1String("wait")) {
            (turns ? repeated : current->calls).push_back({number, line});
        } else if (key == QLatin1String("message")) {
            current->messages << line.section(' ', 1);
        } else {
            current->window[key] = line.section(' ', 1);
        }
    }
    return cases;
}

// A trace line as the golden file writes it: the function, the arguments the program chose
// and the bytes it wrote; not the time, the handle or what the driver gave back.
QString Call(const QString& traceLine)
{
    static const QRegularExpression time(QStringLiteral("^t=\\d+ "));
    static const QRegularExpression handle(QStringLiteral("handle=\\d+(, )?"));
    QString line = traceLine;
    line.remove(time);
    const qsizetype close = line.indexOf(')');
    QString call = line.left(close + 1).remove(handle);
    const qsizetype tx = line.indexOf(QLatin1String(" tx="), close);
    if (tx >= 0) {
        static const QRegularExpression nextField(QStringLiteral(" [a-z_]+=| ->"));
        const qsizetype end = line.indexOf(nextField, tx + 4);
        call += line.mid(tx, end - tx);
    }
    return call;
}

bool Matches(const QString& golden, const QString& made)
{
    return golden.endsWith('*') ? made.startsWith(golden.chopped(1)) : made == golden;
}

enum Start { FRESH, CONNECTED_84A, CONNECTED_877 };

struct Case {
    const char* name;
    Start start;
    int button;
    std::function<void(WindowFixture&)> prepare; // before the click
};

void Fault(const char* fault)
{
    QCOMPARE(EmuInjectFault(fault), 0);
}

const std::vector<Case>& Cases()
{
    static const std::vector<Case> cases{
        {"connect 16F84A", FRESH, IDC_CONNECT, nullptr},
        {"connect 16F877", FRESH, IDC_CONNECT, [](WindowFixture& f) { f.SetText(IDC_SEARCH_TEXT, "1"); }},
        {"connect, the first attempt unacknowledged", FRESH, IDC_CONNECT,
         [](WindowFixture&) { Fault("ack-missing command=CMD_CONNECT times=1"); }},
        {"connect, both attempts unacknowledged", FRESH, IDC_CONNECT,
         [](WindowFixture&) { Fault("ack-missing command=CMD_CONNECT"); }},
        {"connect, the ping retried", FRESH, IDC_CONNECT,
         [](WindowFixture&) { Fault("ack-missing command=CMD_PING times=1"); }},
        {"connect, the ping unacknowledged twice", FRESH, IDC_CONNECT,
         [](WindowFixture&) { Fault("ack-missing command=CMD_PING"); }},
        {"connect, the ping answered 0xA5A4", FRESH, IDC_CONNECT,
         [](WindowFixture&) { Fault("answer-wrong command=CMD_PING value=0xA5A4"); }},
        {"connect, the description left as it came", FRESH, IDC_CONNECT,
         [](WindowFixture& f) { f.Click(IDC_DESCRIPTION); }},
        {"connect, no processor reported at first", FRESH, IDC_CONNECT,
         [](WindowFixture&) { Fault("processor-answer value=none times=1"); }},
        {"connect, a version of 20 bytes", FRESH, IDC_CONNECT,
         [](WindowFixture&) { Fault("answer-short command=CMD_GET_VERSION count=20"); }},
        {"disconnect", CONNECTED_84A, IDC_CONNECT, nullptr},
        {"disconnect, unacknowledged", CONNECTED_84A, IDC_CONNECT,
         [](WindowFixture&) { Fault("ack-missing command=CMD_DISCONNECT"); }},
        {"search by device number, connected", CONNECTED_84A, IDC_SEARCH, nullptr},
        {"search by serial number", FRESH, IDC_SEARCH, [](WindowFixture& f) { f.Click(IDC_SERIAL); }},
        {"search by description", FRESH, IDC_SEARCH, [](WindowFixture& f) { f.Click(IDC_DESCRIPTION); }},
        {"search, no board attached", FRESH, IDC_SEARCH,
         [](WindowFixture&) { QCOMPARE(EmuConfigure("[bus]\nboards = 0\n"), 0); }},
        {"write version", CONNECTED_84A, IDC_WRITE_VERSION,
         [](WindowFixture& f) { f.SetText(IDC_VERSION_TEXT, "AB"); }},
        {"blank check 16F84A, blank", CONNECTED_84A, IDC_BLANK_CHECK, nullptr},
        {"blank check 16F877, not blank", CONNECTED_877, IDC_BLANK_CHECK,
         [](WindowFixture&) { EmuSetChipWord(1, kSomeWord, 0); }},
        {"blank check, the answer unreadable", CONNECTED_84A, IDC_BLANK_CHECK,
         [](WindowFixture&) { Fault("read-fails command=CMD_BLANK_CHECK_84A at=answer"); }},
        {"erase 16F84A", CONNECTED_84A, IDC_ERASE, nullptr},
        {"erase 16F877", CONNECTED_877, IDC_ERASE, nullptr},
        {"erase, a wrong answer", CONNECTED_877, IDC_ERASE,
         [](WindowFixture&) { Fault("answer-wrong command=CMD_BULK_ERASE_877 value=0x5A"); }},
        {"program 16F84A", CONNECTED_84A, IDC_PROGRAM, nullptr},
        {"program 16F877, not blank, with auto-erase", CONNECTED_877, IDC_PROGRAM,
         [](WindowFixture& f) {
             EmuSetChipWord(1, kSomeWord, 0);
             f.Click(IDC_AUTO_ERASE);
         }},
        {"program, the closing block acknowledged wrongly", CONNECTED_84A, IDC_PROGRAM,
         [](WindowFixture&) { Fault("block-ack-wrong part=closing"); }},
        {"read 16F84A", CONNECTED_84A, IDC_READ, nullptr},
        {"read 16F877", CONNECTED_877, IDC_READ, nullptr},
        {"read, a short program block asked again", CONNECTED_84A, IDC_READ,
         [](WindowFixture&) { Fault("block-short part=program block=3 count=40 times=1"); }},
        {"read, the repeated block short again", CONNECTED_84A, IDC_READ,
         [](WindowFixture&) { Fault("block-short part=program block=3 count=40 times=2"); }},
        {"verify 16F84A", CONNECTED_84A, IDC_VERIFY, nullptr},
        {"verify 16F877", CONNECTED_877, IDC_VERIFY, nullptr},
        {"verify, a short configuration block", CONNECTED_84A, IDC_VERIFY,
         [](WindowFixture&) { Fault("block-short part=config count=20"); }},
    };
    return cases;
}

// What the window shows for a key of the golden file.
QString Shown(WindowFixture& f, const QString& key)
{
    const auto quoted = [&](int id) { return '"' + f.Text(id) + '"'; };
    if (key == QLatin1String("connect"))
        return quoted(IDC_CONNECT);
    if (key == QLatin1String("status"))
        return quoted(IDC_STATUS);
    if (key == QLatin1String("revision"))
        return quoted(IDC_REVISION);
    if (key == QLatin1String("search"))
        return quoted(IDC_SEARCH_TEXT);
    if (key == QLatin1String("processor"))
        return f.IsChecked(IDC_16F84A) ? "1028" : f.IsChecked(IDC_16F877) ? "1029" : "none";
    if (key == QLatin1String("progress"))
        return QString::number(f.Find<QProgressBar>(IDC_PROGRESS)->value());
    if (key == QLatin1String("enabled")) {
        QStringList ids;
        for (const int id : f.Enabled())
            ids << QString::number(id);
        return ids.join(' ');
    }
    if (key == QLatin1String("focus")) {
        const QWidget* focus = f.Window().focusWidget();
        return focus ? focus->objectName() : QStringLiteral("none");
    }
    return "no such key: " + key;
}

} // namespace

class GoldenOperationsTest : public QObject {
    Q_OBJECT

private slots:
    void everyCaseOfTheGoldenFileIsRun()
    {
        QStringList golden;
        for (const auto& [name, expected] : ReadGolden())
            golden << name;
        QStringList run;
        for (const Case& c : Cases())
            run << c.name;
        run.sort();
        QCOMPARE(run, golden);
    }

    void makesTheGoldenCallsAndLeavesTheGoldenWindow_data()
    {
        QTest::addColumn<int>("index");
        for (std::size_t i = 0; i < Cases().size(); ++i)
            QTest::newRow(Cases()[i].name) << int(i);
    }

    void makesTheGoldenCallsAndLeavesTheGoldenWindow()
    {
        QFETCH(int, index);
        const Case& c = Cases()[std::size_t(index)];
        const GoldenCase expected = ReadGolden()[c.name];

        TraceFile trace("golden");
        std::unique_ptr<OperationWindow> connected;
        std::unique_ptr<OperationClock> clock;
        std::unique_ptr<WindowFixture> fresh;
        if (c.start == FRESH) {
            clock = std::make_unique<OperationClock>();
            fresh = std::make_unique<WindowFixture>();
        } else {
            connected = std::make_unique<OperationWindow>(c.start == CONNECTED_877 ? TargetProcessor::PIC16F877
                                                                                  : TargetProcessor::PIC16F84A);
        }
        WindowFixture& f = fresh ? *fresh : connected->f;
        OperationClock& time = clock ? *clock : connected->clock;
        if (c.prepare)
            c.prepare(f);
        trace.Clear();
        std::vector<std::pair<std::size_t, unsigned>> pauses; // before trace line, milliseconds
        time.atPause = [&](unsigned milliseconds) { pauses.emplace_back(trace.Lines().size(), milliseconds); };
        f.sink.messages.clear();

        // A Target Select Dialog is answered with the line it selected.
        QTimer answer;
        answer.setSingleShot(true);
        connect(&answer, &QTimer::timeout, [] {
            if (auto* dialog = dynamic_cast<CTargetSelectDlg*>(QApplication::activeModalWidget()))
                dialog->findChild<QPushButton*>(QString::number(IDC_EXIT))->click();
        });
        answer.start(0);
        f.Click(c.button);
        time.atPause = nullptr;

        const std::vector<std::string> lines = trace.Lines();
        QStringList made;
        auto pause = pauses.begin();
        for (std::size_t i = 0; i <= lines.size(); ++i) {
            unsigned waited = 0;
            for (; pause != pauses.end() && pause->first == i; ++pause)
                waited += pause->second;
            if (waited)
                made << QStringLiteral("wait %1").arg(waited);
            if (i < lines.size())
                made << Call(QString::fromStdString(lines[i]));
        }
        for (std::size_t i = 0; i < std::max(std::size_t(made.size()), expected.calls.size()); ++i) {
            const QString golden = i < expected.calls.size() ? expected.calls[i].text : "(no more calls)";
            const QString call = i < std::size_t(made.size()) ? made[qsizetype(i)] : "(no more calls)";
            if (!Matches(golden, call)) {
                const int line = i < expected.calls.size() ? expected.calls[i].number : 0;
                QFAIL(qPrintable(QStringLiteral("call %1, operations.txt:%2: golden \"%3\", made \"%4\"%5")
                                     .arg(i + 1)
                                     .arg(line)
                                     .arg(golden, call, i ? ", after \"" + made[qsizetype(i) - 1] + '"' : "")));
            }
        }

        QStringList shown;
        for (const std::string& message : f.sink.messages)
            shown << '"' + QString::fromStdString(message) + '"';
        QCOMPARE(shown, expected.messages);
        for (const auto& [key, value] : expected.window)
            QVERIFY2(Shown(f, key) == value, qPrintable(key + ": golden " + value + ", shown " + Shown(f, key)));
    }
};

QTEST_MAIN(GoldenOperationsTest)
#include "GoldenOperationsTest.moc"
