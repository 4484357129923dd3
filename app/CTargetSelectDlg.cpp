#include "app/CTargetSelectDlg.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "app/DialogUnits.h"
#include "res/ControlIds.h"

namespace {

struct Placement {
    int x, y, width, height; // dialog units
};
constexpr Placement kWindow{0, 0, 186, 127};
constexpr Placement kOkButton{129, 7, 50, 14};
constexpr Placement kList{7, 23, 172, 97};
constexpr Placement kPrompt{18, 11, 106, 10};
// The line selected on opening: the first device, under the header.
constexpr int kFirstDeviceRow = 1;

} // namespace

CTargetSelectDlg::CTargetSelectDlg(const QStringList& lines, QString& selectedDevice,
                                   QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      selectedDevice_(selectedDevice)
{
    setObjectName(QStringLiteral("130"));
    setWindowTitle(QStringLiteral("Target Select Dialog"));
    const DialogUnits units(font());
    const auto place = [&units](QWidget* widget, const Placement& where) {
        widget->setGeometry(units.Rect(where.x, where.y, where.width, where.height));
    };

    auto* prompt = new QLabel(QStringLiteral("Select a device and click OK"), this);
    place(prompt, kPrompt);
    prompt->adjustSize();
    list_ = new QListWidget(this);
    list_->setObjectName(QString::number(IDC_TARGET_LIST));
    list_->addItems(lines);
    if (list_->count() > kFirstDeviceRow)
        list_->setCurrentRow(kFirstDeviceRow);
    place(list_, kList);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QString::number(IDC_EXIT));
    ok->setDefault(true);
    place(ok, kOkButton);
    connect(ok, &QPushButton::clicked, this, &CTargetSelectDlg::accept);
    setFixedSize(units.X(kWindow.width), units.Y(kWindow.height));
}

void CTargetSelectDlg::accept()
{
    // With no line selected (the list call found no device after the count found some)
    // the previous choice stands.
    if (const QListWidgetItem* line = list_->currentItem(); line && line->isSelected())
        selectedDevice_ = line->text();
    QDialog::accept();
}
