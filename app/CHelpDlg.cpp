#include "app/CHelpDlg.h"

#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

#include "app/DialogUnits.h"
#include "res/ControlIds.h"

namespace {

// Dialog units: the window, its place beside the main window's client area, the list and
// the Close button.
constexpr int kWidth = 170;
constexpr int kHeight = 110;
constexpr int kOffsetX = 200;
constexpr int kOffsetY = 0;
constexpr DialogPlacement kListArea{7, 7, 156, 82};
constexpr DialogPlacement kCloseArea{132, 89, 31, 14};
// The template's font: half again as large as the main window's 8 points.
constexpr double kTemplatePoints = 12;

} // namespace

CHelpDlg::CHelpDlg(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("136"));
    setWindowTitle(QStringLiteral("Help Dialog"));
    setFont(TemplateFont(owner->font(), kTemplatePoints));
    const DialogUnits units(font());

    list_ = new QListWidget(this);
    list_->setObjectName(QString::number(IDC_HELP_LIST));
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setFocusPolicy(Qt::NoFocus);
    units.Place(list_, kListArea);

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QString::number(IDC_EXIT));
    close->setDefault(true);
    units.Place(close, kCloseArea);
    connect(close, &QPushButton::clicked, this, [this] {
        emit closeClicked();
        reject();
    });
    // Esc and Close both end in reject, which closes the window and so releases the object.
    setFixedSize(units.X(kWidth), units.Y(kHeight));
    move(owner->mapToGlobal(QPoint(units.X(kOffsetX), units.Y(kOffsetY))));
}

void CHelpDlg::ShowLines(const std::vector<std::string>& lines)
{
    list_->clear();
    for (const std::string& line : lines)
        AddLine(QString::fromStdString(line));
    // Desktop fonts run wider than the one the texts were broken for: the dialog grows to
    // its longest line rather than hide its ends behind a horizontal scroll bar.
    const int needed = list_->sizeHintForColumn(0) + 2 * list_->frameWidth() +
                       list_->verticalScrollBar()->sizeHint().width();
    if (needed > list_->width()) {
        const int growth = needed - list_->width();
        list_->resize(needed, list_->height());
        setFixedWidth(width() + growth);
        if (auto* close = findChild<QPushButton*>(QString::number(IDC_EXIT)))
            close->move(close->x() + growth, close->y());
    }
}

void CHelpDlg::AddLine(const QString& line)
{
    list_->addItem(line);
}

QStringList CHelpDlg::Lines() const
{
    QStringList lines;
    for (int row = 0; row < list_->count(); ++row)
        lines << list_->item(row)->text();
    return lines;
}
