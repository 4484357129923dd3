#include "app/CTargetSelectDlg.h"


#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "app/DialogUnits.h"
#include "res/ControlIds.h"

namespace {

constexpr DialogPlacement kWindow{0, 0, 186, 127};
constexpr DialogPlacement kOkButton{129, 7, 50, 14};
constexpr DialogPlacement kList{7, 23, 172, 97};
constexpr DialogPlacement kPrompt{18, 11, 106, 10};
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

    auto* prompt = new QLabel(QStringLiteral("Select a device and click OK"), this);
    units.PlaceText(prompt, kPrompt);
    list_ = new QListWidget(this);
    list_->setObjectName(QString::number(IDC_TARGET_LIST));
    list_->addItems(lines);
    if (list_->count() > kFirstDeviceRow)
        list_->setCurrentRow(kFirstDeviceRow);
    units.Place(list_, kList);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QString::number(IDC_EXIT));
    ok->setDefault(true);
    units.Place(ok, kOkButton);
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
