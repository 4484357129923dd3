#include "app/CMemoryWindowDlg.h"

#include <algorithm>
#include <string_view>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QListWidget>
#include <QStyle>
#include <QThread>
#include <QWindow>

#include "app/DialogUnits.h"
#include "res/ControlIds.h"

namespace {

// Dialog units: the list sits 7 units inside the window on every side.
constexpr int kMargin = 7;
constexpr int kListWidth = 131;
constexpr int kListHeight = 89;

// The window's template asks for a 12-point font where the main window's asks for 8, so its
// dialog units are half again as large as the main window's.
constexpr double kTemplatePoints = 12;

// How long a new window may take to appear on the screen, and how often to look. A window
// that never appears (its owner minimised) costs the operation no more than this.
constexpr qint64 kShowMilliseconds = 1000;
constexpr unsigned long kShowPollMilliseconds = 5;

// The widest line the listings make (Read's EEPROM lines carry their decimal locations). The
// list is made wide enough for it, so no line needs a horizontal scroll.
constexpr char kWidestLine[] = "21FC:    FF    FF    FF    FF   (252..255)";

// The characters the listings are made of. The columns stand under each other only when all
// of them are equally wide; a font's own fixed-pitch flag is not to be trusted for that
// (fontconfig calls Noto Sans Mono proportional).
constexpr char kListingCharacters[] = "0123456789ABCDEFx:(). ";

bool ColumnsLineUp(const QFont& font)
{
    const QFontMetricsF metrics(font);
    const qreal width = metrics.horizontalAdvance(QLatin1Char('0'));
    for (const char c : std::string_view(kListingCharacters)) {
        if (metrics.horizontalAdvance(QLatin1Char(c)) != width)
            return false;
    }
    return true;
}

QFont FixedPitchFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (ColumnsLineUp(font))
        return font;
    // Some platforms name no fixed font of their own, or one they do not have (wine names
    // Courier New without it): the first of the usual fixed fonts that is there.
    font.setStyleHint(QFont::TypeWriter);
    for (const char* family : {"Courier New", "Consolas", "Lucida Console", "DejaVu Sans Mono", "Liberation Mono"}) {
        font.setFamily(QString::fromLatin1(family));
        if (ColumnsLineUp(font))
            return font;
    }
    font.setFamily(QStringLiteral("monospace"));
    return font;
}

} // namespace

CMemoryWindowDlg::CMemoryWindowDlg(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    // The close box and Esc (reject) both close the window, which then releases the object.
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("129"));
    setWindowTitle(QStringLiteral("Memory Window"));
    setFont(TemplateFont(owner->font(), kTemplatePoints));
    const DialogUnits units(font());

    list_ = new QListWidget(this);
    list_->setObjectName(QString::number(IDC_MEMORY_LIST));
    list_->setFont(FixedPitchFont());
    list_->setSortingEnabled(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Read lists over two thousand lines of one height; uniform sizes keep that fast.
    list_->setUniformItemSizes(true);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    // Measure a line as the list will draw it: wide enough for the widest line, and high
    // enough for whole lines only, so that no line shows cut at the bottom.
    list_->addItem(QString::fromLatin1(kWidestLine));
    const int lineWidth = list_->sizeHintForColumn(0);
    const int lineHeight = std::max(1, list_->sizeHintForRow(0));
    list_->clear();
    const int frame = 2 * list_->frameWidth();
    const int neededWidth =
        lineWidth + frame + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list_);
    const int listWidth = std::max(units.X(kListWidth), neededWidth);
    const int lines = std::max(1, (units.Y(kListHeight) - frame) / lineHeight);
    const int listHeight = lines * lineHeight + frame;
    list_->setGeometry(units.X(kMargin), units.Y(kMargin), listWidth, listHeight);
    setFixedSize(listWidth + 2 * units.X(kMargin), listHeight + 2 * units.Y(kMargin));

    // At the top-left corner of the owner's client area, where its template places it.
    move(owner->mapToGlobal(QPoint(0, 0)));
}

void CMemoryWindowDlg::ShowNow()
{
    show();
    // The window system maps a new window only while events are processed. Let its events
    // through, but not the user's input, which waits for the operation's end as it would.
    QElapsedTimer waited;
    waited.start();
    while (windowHandle() && !windowHandle()->isExposed() &&
           waited.elapsed() < kShowMilliseconds) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(kShowPollMilliseconds);
    }
}

void CMemoryWindowDlg::AddLine(const QString& line)
{
    list_->addItem(line);
}

void CMemoryWindowDlg::Clear()
{
    list_->clear();
}

void CMemoryWindowDlg::RepaintNow()
{
    // The list lays out new lines only when the event loop runs; do it here instead.
    list_->doItemsLayout();
    repaint();
}

QStringList CMemoryWindowDlg::Lines() const
{
    QStringList lines;
    for (int row = 0; row < list_->count(); ++row)
        lines << list_->item(row)->text();
    return lines;
}
