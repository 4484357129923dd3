// The window against golden data written from the original's account and not from this
// program: every operation against tests/data/golden/operations.txt (the D2XX calls it makes
// with their arguments and pauses, the messages it shows and the window it leaves), and
// every window against dialogs.txt (titles, sizes, places, controls and tab order). The
// scenes and every expectation are in the golden files; this test only plays and compares.
#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>

#include "OperationWindow.h"
#include "app/CAboutBoxDlg.h"
#include "app/CHelpDlg.h"
#include "app/CMemoryWindowDlg.h"
#include "app/CTargetSelectDlg.h"
#include "app/DialogUnits.h"
#include "app/SettingsProfile.h"
#include "support/TraceFile.h"

namespace {

struct GoldenLine {
    int number; // in the file
    QString text;
};

struct GoldenCase {
    QStringList setup; // "start ..." first
    int button = 0;    // the click whose effects are compared
    bool anyCalls = false;
    QString callsAs; // the case whose calls these are
    std::vector<GoldenLine> calls; // repeats unrolled
    QStringList messages;
    std::map<QString, QString> window; // key: the rest of its line
};

// A golden file's sections ("== name"), each with its lines but the empty ones and comments.
std::map<QString, std::vector<GoldenLine>> GoldenSections(const QString& name)
{
    QFile file(QStringLiteral(QUILLET_TEST_DATA_DIR "/golden/") + name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    std::map<QString, std::vector<GoldenLine>> sections;
    std::vector<GoldenLine>* current = nullptr;
    for (int number = 1; !file.atEnd(); ++number) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1String("== ")))
            current = &sections[line.mid(3)];
        else if (current && !line.isEmpty() && !line.startsWith('#'))
            current->push_back({number, line});
    }
    return sections;
}

std::map<QString, GoldenCase> ReadGolden()
{
    std::map<QString, GoldenCase> cases;
    for (const auto& [name, lines] : GoldenSections(QStringLiteral("operations.txt"))) {
        GoldenCase* current = &cases[name];
        std::vector<GoldenLine> repeated;
        int turns = 0; // inside "repeat N" while non-zero
        for (const auto& [number, line] : lines) {
            const QString key = line.section(' ', 0, 0);
            static const QStringList kSetup = {"start", "fault", "boards", "chip-word", "set", "before", "programmed",
                                               "file", "path", "type", "stored", "restart", "answer"};
            if (kSetup.contains(key)) {
                current->setup << line;
            } else if (key == QLatin1String("click")) {
                current->button = line == QLatin1String("click none") ? -1 : line.section(' ', 1).toInt();
            } else if (line == QLatin1String("calls any")) {
                current->anyCalls = true;
            } else if (key == QLatin1String("calls")) {
                current->callsAs = line.section('"', 1, 1);
            } else if (key == QLatin1String("repeat")) {
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
            } else if (key == QLatin1String("memory") || key == QLatin1String("profile")) {
                // "memory N": the count of lines; "memory N "text"" and "profile KEY "value"": one
                // key each.
                const QString rest = line.section(' ', 1);
                if (rest.contains('"'))
                    current->window[key + ' ' + rest.section(' ', 0, 0)] = rest.section(' ', 1);
                else
                    current->window[QStringLiteral("memory lines")] = rest;
            } else {
                current->window[key] = line.section(' ', 1);
            }
        }
    }
    for (auto& [name, c] : cases)
        if (!c.callsAs.isEmpty())
            c.calls = cases.at(c.callsAs).calls;
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

// Answers every Target Select Dialog as it opens: OK with line `row` selected (-1: as it
// opened), or Esc (-2); keeps the lines the last one showed.
class DialogAnswerer : public QObject {
public:
    DialogAnswerer() { qApp->installEventFilter(this); }
    ~DialogAnswerer() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* dialog = dynamic_cast<CTargetSelectDlg*>(watched);
        if (dialog && event->type() == QEvent::Show)
            QTimer::singleShot(0, dialog, [this, dialog] {
                lines.clear();
                for (int line = 0; line < dialog->List()->count(); ++line)
                    lines << dialog->List()->item(line)->text();
                if (row == -2)
                    return dialog->reject();
                if (row >= 0)
                    dialog->List()->setCurrentRow(row);
                dialog->findChild<QPushButton*>(QString::number(IDC_EXIT))->click();
            });
        return false;
    }
    int row = -1;
    QStringList lines;
};

// Plays one line of a case's scene after its start; `w` is the connected window, if any.
void Prepare(WindowFixture& f, OperationWindow* w, DialogAnswerer& answerer, const QString& line)
{
    const QString key = line.section(' ', 0, 0);
    const QString rest = line.section(' ', 1);
    if (key == QLatin1String("fault"))
        QVERIFY2(EmuInjectFault(qPrintable(rest)) == 0, EmuLastError());
    else if (key == QLatin1String("boards"))
        QCOMPARE(EmuConfigure(qPrintable("[bus]\nboards = " + rest + '\n')), 0);
    else if (key == QLatin1String("chip-word"))
        QCOMPARE(EmuSetChipWord(rest.section(' ', 0, 0).toInt(), rest.section(' ', 1, 1).toUInt(nullptr, 16),
                                rest.section(' ', 2, 2).toUInt(nullptr, 0)),
                 0);
    else if (key == QLatin1String("set"))
        f.SetText(rest.section(' ', 0, 0).toInt(), rest.section('"', 1, -2));
    else if (key == QLatin1String("before"))
        f.Click(rest.toInt());
    else if (key == QLatin1String("answer"))
        answerer.row = rest == QLatin1String("Esc") ? -2 : rest.toInt();
    else if (key == QLatin1String("stored"))
        f.SetProfileValue(qPrintable(rest.section(' ', 0, 0)), rest.section('"', 1, -2));
    else if (key == QLatin1String("restart"))
        f.Restart();
    else if (key == QLatin1String("type")) {
        auto* edit = f.Find<QLineEdit>(rest.section(' ', 0, 0).toInt());
        edit->selectAll();
        QTest::keyClicks(edit, rest.section('"', 1, -2));
    } else if (!w)
        QFAIL(qPrintable(line + ": only for a case started connected"));
    else if (key == QLatin1String("programmed"))
        QCOMPARE(w->Run(IDC_PROGRAM), Messages{"Programming complete."});
    else if (line == QLatin1String("file removed"))
        QFile::remove(w->HexPath());
    else if (rest.startsWith(QLatin1String("replaced ")))
        w->OverwriteHexFile(rest.section(' ', 1));
    else if (key == QLatin1String("path")) { // Open starts from the profile's path and is cancelled
        f.SetProfileValue("MyfilenamePath", rest.section('"', 1, -2));
        f.Window().SetHexFileChooser([](const QString&) { return QString(); });
        f.Click(IDC_OPEN);
    }
}

// The main window's controls in tab order that `take` picks, as their ids.
QString InTabOrder(WindowFixture& f, const std::function<bool(QWidget*)>& take)
{
    QStringList ids;
    QWidget* widget = f.Find(IDC_SERIAL);
    do {
        if (!widget->objectName().isEmpty() && take(widget))
            ids << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != f.Find(IDC_SERIAL));
    return ids.join(' ');
}

// What the window shows for a key of the golden file; `dialog`: the lines the Target Select
// Dialog showed.
QString Shown(WindowFixture& f, const QString& key, const QStringList& dialog)
{
    static const std::map<QString, int> kTexts{
        {"connect", IDC_CONNECT}, {"status", IDC_STATUS}, {"revision", IDC_REVISION}, {"search", IDC_SEARCH_TEXT}};
    if (kTexts.count(key))
        return '"' + f.Text(kTexts.at(key)) + '"';
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
    if (key == QLatin1String("dialog"))
        return dialog.isEmpty() ? QString() : '"' + dialog.join(QStringLiteral("\" \"")) + '"';
    if (key.startsWith(QLatin1String("memory "))) {
        const auto* memory = f.Window().MemoryWindow();
        const auto* list = memory ? memory->findChild<QListWidget*>() : nullptr;
        if (!list)
            return QStringLiteral("none");
        if (key == QLatin1String("memory lines"))
            return QString::number(list->count());
        const QListWidgetItem* item = list->item(key.section(' ', 1).toInt() - 1);
        return item ? '"' + item->text() + '"' : QStringLiteral("no such line");
    }
    if (key == QLatin1String("checked"))
        return InTabOrder(f, [](QWidget* w) {
            auto* box = qobject_cast<QAbstractButton*>(w);
            return box && box->isCheckable() && box->isChecked();
        });
    if (key == QLatin1String("controls"))
        return InTabOrder(f, [](QWidget* w) {
            auto* edit = qobject_cast<QLineEdit*>(w);
            return w->isEnabled() && (qobject_cast<QAbstractButton*>(w) || (edit && !edit->isReadOnly()));
        });
    if (key == QLatin1String("device"))
        return EmuIsOpen(0) == 1 || EmuIsOpen(1) == 1 ? "open" : "closed";
    if (key == QLatin1String("profile file"))
        return '"' + QFileInfo(SettingsProfile::FilePath()).fileName() + '"';
    if (key.startsWith(QLatin1String("profile ")))
        return '"' + QSettings(SettingsProfile::FilePath(), QSettings::IniFormat).value(key.section(' ', 1)).toString() + '"';
    if (key == QLatin1String("focus"))
        return f.Window().focusWidget() ? f.Window().focusWidget()->objectName() : QStringLiteral("none");
    return "no such key: " + key;
}

// The text a control's template gives it; edit boxes, lists and bars have none.
QString TemplateText(const QWidget* control)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(control))
        return group->title();
    return {};
}

// A rectangle in dialog units of `font`, as "X Y W H".
QString InUnits(const QRect& pixels, const QFont& font)
{
    const QFontMetricsF metrics(font);
    const double x = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                     52.0 / 4.0;
    const double y = metrics.height() / 8.0;
    return QStringLiteral("%1 %2 %3 %4")
        .arg(qRound(pixels.x() / x))
        .arg(qRound(pixels.y() / y))
        .arg(qRound(pixels.width() / x))
        .arg(qRound(pixels.height() / y));
}

// Whether "X Y W H" as shown matches the golden one, where "~H" is a height fitted to whole
// lines: at most H, and less by under a line (8 units of the window's font).
bool SamePlace(const QString& shown, const QString& golden)
{
    const QStringList s = shown.split(' ');
    const QStringList g = golden.split(' ');
    if (s.size() != g.size())
        return false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (g[i].startsWith('~') ? s[i].toInt() > g[i].mid(1).toInt() || s[i].toInt() <= g[i].mid(1).toInt() - 8
                                 : s[i] != g[i])
            return false;
    }
    return true;
}

// Compares a window with its section of dialogs.txt; `main` is the main window, whose
// client area places the others.
void CompareWithGolden(const QString& name, QWidget* window, QWidget* main)
{
    QVERIFY2(window, qPrintable(name + ": not open"));
    QStringList lines;
    const auto windows = GoldenSections(QStringLiteral("dialogs.txt"));
    for (const GoldenLine& line : windows.at(name))
        lines << line.text;
    QVERIFY2(!lines.isEmpty(), qPrintable(name + ": no such window in dialogs.txt"));
    QList<QWidget*> tabOrder;
    for (const QString& line : lines) {
        const QString where = name + ": " + line;
        const QString key = line.section(' ', 0, 0);
        const QString rest = line.section(' ', 1);
        if (key == QLatin1String("title")) {
            QVERIFY2('"' + window->windowTitle() + '"' == rest, qPrintable(where + ", shown " + window->windowTitle()));
        } else if (key == QLatin1String("size")) {
            const QString size = rest.endsWith(QLatin1String(" px"))
                                     ? QStringLiteral("%1 %2 px").arg(window->width()).arg(window->height())
                                     : InUnits(QRect(QPoint(0, 0), window->size()), window->font()).section(' ', 2);
            QVERIFY2(SamePlace(size, rest), qPrintable(where + ", shown " + size));
        } else if (key == QLatin1String("place")) {
            const QPoint offset = window->pos() - main->mapToGlobal(QPoint(0, 0));
            const QString place = InUnits(QRect(offset, QSize()), window->font()).section(' ', 0, 1);
            QVERIFY2(place == rest, qPrintable(where + ", shown " + place));
        } else if (key == QLatin1String("closes")) {
            continue; // the caller times it
        } else if (key == QLatin1String("system")) {
#if !defined(Q_OS_WIN) // there the Windows-only test reads the real system menu
            // Linux desktops offer no way into a window's system menu: the context menu holds it.
            QString entry;
            QTimer::singleShot(0, [&entry] {
                if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                    entry = menu->actions().value(0) ? menu->actions().value(0)->text() : QString();
                    menu->close();
                }
            });
            QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(1, 1), window->mapToGlobal(QPoint(1, 1)));
            QCoreApplication::sendEvent(window, &click);
            QVERIFY2("menu \"" + entry + '"' == rest, qPrintable(where + ", shown " + entry));
#endif
        } else if (key == QLatin1String("filter")) {
            // "name|pattern|" each; the program offers the names. Off Windows "*.*" would hide
            // every name without a dot, which "All Files" must not (DEPARTURES).
            QStringList names;
            const QStringList parts = rest.section('"', 1, -2).split('|');
            for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
                if (!parts[i].isEmpty())
                    names << parts[i];
#if !defined(Q_OS_WIN)
            names.replaceInStrings(QStringLiteral("(*.*)"), QStringLiteral("(*)"));
#endif
            const auto* dialog = qobject_cast<QFileDialog*>(window);
            QVERIFY2(dialog && dialog->nameFilters() == names,
                     qPrintable(where + ", shown " + (dialog ? dialog->nameFilters().join('|') : "no file dialog")));
        } else if (key == QLatin1String("default")) {
            const auto* dialog = qobject_cast<QFileDialog*>(window);
            const QString shown = dialog ? "extension \"*." + dialog->defaultSuffix() + '"' : "no file dialog";
            QVERIFY2(shown == rest, qPrintable(where + ", shown " + shown));
        } else {
            const QString text = rest.section('"', 1, -2);
            QWidget* control = nullptr;
            for (QWidget* child : window->findChildren<QWidget*>()) {
                const bool sameId = key == QLatin1String("-") ? child->objectName().isEmpty()
                                                             : child->objectName() == key;
                if (sameId && child->parentWidget() == window && (key != QLatin1String("-") || TemplateText(child) == text))
                    control = child;
            }
            QVERIFY2(control, qPrintable(where + ": no such control"));
            QVERIFY2(TemplateText(control) == text, qPrintable(where + ", shown \"" + TemplateText(control) + '"'));
            const QString place = rest.section('"', -1).trimmed();
            if (!place.isEmpty()) {
                QString shown = InUnits(control->geometry(), window->font());
                // A static text keeps its place but may run wider, for a wider desktop font.
                if (key == QLatin1String("-") && shown.section(' ', 2, 2).toInt() >= place.section(' ', 2, 2).toInt())
                    shown = shown.section(' ', 0, 1) + ' ' + place.section(' ', 2, 2) + ' ' + shown.section(' ', 3);
                QVERIFY2(SamePlace(shown, place), qPrintable(where + ", shown " + shown));
            }
            if (control->focusPolicy() != Qt::NoFocus)
                tabOrder << control;
        }
    }
    if (window == main) {
        QList<QWidget*> chain;
        QWidget* widget = tabOrder.value(0);
        do {
            if (tabOrder.contains(widget))
                chain << widget;
            widget = widget->nextInFocusChain();
        } while (widget && widget != tabOrder.value(0));
        QVERIFY2(chain == tabOrder, qPrintable(name + ": the tab order differs"));
    }
}

} // namespace

class GoldenWindowTest : public QObject {
    Q_OBJECT

private slots:
    void everyWindowIsAsItsTemplate()
    {
        QElapsedTimer started;
        started.start();
        WindowFixture f;
        CDownloadDlg& main = f.Window();
        QPointer<QWidget> splash = main.SplashDialog();
        CompareWithGolden(QStringLiteral("main window"), &main, &main);
        QVERIFY(splash);
        CompareWithGolden(QStringLiteral("splash window"), splash, &main);
        QTRY_VERIFY_WITH_TIMEOUT(splash.isNull(), 5000);
        const qint64 closedAfter = started.elapsed();
        qint64 period = 0;
        const auto windows = GoldenSections(QStringLiteral("dialogs.txt"));
        for (const GoldenLine& line : windows.at(QStringLiteral("splash window")))
            period = line.text.startsWith(QLatin1String("closes after ")) ? line.text.section(' ', 2).toLongLong() : period;
        // Qt's coarse timers may fire up to 5 % early.
        QVERIFY2(closedAfter >= period * 95 / 100 && closedAfter < period + 1000,
                 qPrintable("splash window: closed after " + QString::number(closedAfter) + " ms"));

        {
            CAboutBoxDlg about(&main);
            CompareWithGolden(QStringLiteral("About box"), &about, &main);
            QString chosen;
            CTargetSelectDlg select({QStringLiteral("2 device(s) attached:"), "0", "1"}, chosen, &main);
            CompareWithGolden(QStringLiteral("Target Select Dialog"), &select, &main);
        }
        main.OpenMemoryWindow();
        CompareWithGolden(QStringLiteral("Memory Window"), main.MemoryWindow(), &main);
        f.Click(IDC_HELP);
        CompareWithGolden(QStringLiteral("Help Dialog"), main.HelpDialog(), &main);

        // Open's own dialog, which Open shows when no test chooses the file for it.
        f.Restart();
        bool shown = false;
        QTimer answer;
        answer.setSingleShot(true);
        connect(&answer, &QTimer::timeout, [&f, &shown] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                shown = true;
                CompareWithGolden(QStringLiteral("open-file dialog"), dialog, &f.Window());
                dialog->reject();
            }
        });
        answer.start(0);
        f.Click(IDC_OPEN);
        QVERIFY2(shown, "Open showed no file dialog");
    }

    void makesTheGoldenCallsAndLeavesTheGoldenWindow_data()
    {
        QTest::addColumn<QString>("name");
        for (const auto& [name, expected] : ReadGolden())
            QTest::newRow(qPrintable(name)) << name;
    }

    void makesTheGoldenCallsAndLeavesTheGoldenWindow()
    {
        QFETCH(QString, name);
        const GoldenCase expected = ReadGolden().at(name);
        const QString start = expected.setup.value(0);
        QVERIFY2(start.startsWith(QLatin1String("start ")) && expected.button, "a case starts and clicks");
        DialogAnswerer answerer;

        TraceFile trace("golden");
        std::unique_ptr<OperationWindow> connected;
        std::unique_ptr<OperationClock> clock;
        std::unique_ptr<WindowFixture> fresh;
        if (start.startsWith(QLatin1String("start connected"))) {
            connected = std::make_unique<OperationWindow>(start.endsWith(QLatin1String("16F877"))
                                                              ? TargetProcessor::PIC16F877
                                                              : TargetProcessor::PIC16F84A);
        } else {
            clock = std::make_unique<OperationClock>();
            fresh = start == QLatin1String("start fresh") ? std::make_unique<WindowFixture>()
                                                          : std::make_unique<WindowFixture>("libftd2xx-absent.so");
        }
        WindowFixture& f = fresh ? *fresh : connected->f;
        OperationClock& time = clock ? *clock : connected->clock;
        for (const QString& line : expected.setup.mid(1))
            Prepare(f, connected.get(), answerer, line);
        // Program checks the file before its blank check, whose command pause comes first.
        const bool removeAtPause = expected.setup.contains(QStringLiteral("file removed at the first pause"));
        trace.Clear();
        std::vector<std::pair<std::size_t, unsigned>> pauses; // before trace line, milliseconds
        QStringList statuses; // at the pauses, each change once
        time.atPause = [&](unsigned milliseconds) {
            if (removeAtPause && pauses.empty())
                QFile::remove(connected->HexPath());
            pauses.emplace_back(trace.Lines().size(), milliseconds);
            if (const QString status = '"' + f.Text(IDC_STATUS) + '"'; statuses.value(statuses.size() - 1) != status)
                statuses << status;
        };
        f.sink.messages.clear();

        if (expected.button > 0)
            f.Click(expected.button);
        const QStringList dialogLines = answerer.lines;
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
        for (std::size_t i = 0; !expected.anyCalls && i < std::max(std::size_t(made.size()), expected.calls.size()); ++i) {
            const QString golden = i < expected.calls.size() ? expected.calls[i].text : "(no more calls)";
            const QString call = i < std::size_t(made.size()) ? made[qsizetype(i)] : "(no more calls)";
            if (golden.endsWith('*') ? !call.startsWith(golden.chopped(1)) : call != golden) {
                const int line = i < expected.calls.size() ? expected.calls[i].number : 0;
                QFAIL(qPrintable(QStringLiteral("call %1, operations.txt:%2: golden \"%3\", made \"%4\"%5")
                                     .arg(i + 1)
                                     .arg(line)
                                     .arg(golden, call, i ? ", after \"" + made[qsizetype(i) - 1] + '"' : "")));
            }
        }

        QStringList shown;
        for (const std::string& message : f.sink.messages)
            shown << '"' + QString::fromStdString(message).replace(connected ? connected->HexPath() : "%s", "%s") + '"';
        QCOMPARE(shown, expected.messages);
        for (const auto& [key, value] : expected.window) {
            const QString shown = key == QLatin1String("statuses")
                                      ? statuses.join(' ')
                                      : Shown(f, key, dialogLines).replace(connected ? connected->HexPath() : "%s", "%s");
            QVERIFY2(shown == value, qPrintable(key + ": golden " + value + ", shown " + shown));
        }
    }
};

QTEST_MAIN(GoldenWindowTest)
#include "GoldenWindowTest.moc"
