#include "app/CAboutBoxDlg.h"

#include <QLabel>
#include <QPushButton>

#include "app/DialogUnits.h"
#include "res/ControlIds.h"

namespace {

constexpr DialogPlacement kWindow{0, 0, 235, 55};
constexpr DialogPlacement kIcon{11, 17, 20, 20};
constexpr DialogPlacement kVersionLine{40, 10, 119, 8};
constexpr DialogPlacement kSecondLine{40, 25, 119, 16};
constexpr DialogPlacement kOkButton{178, 7, 50, 14};

} // namespace

CAboutBoxDlg::CAboutBoxDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("100"));
    setWindowTitle(QStringLiteral("About Quillet1"));
    const DialogUnits units(font());

    auto* icon = new QLabel(this);
    const QRect iconArea = units.Rect(kIcon);
    icon->setPixmap(QIcon(QStringLiteral(":/icon128.png")).pixmap(iconArea.size()));
    icon->setGeometry(iconArea);
    auto* version = new QLabel(QStringLiteral("Quillet1 Version 1.0"), this);
    units.Place(version, kVersionLine);
    auto* purpose = new QLabel(
        QStringLiteral("Firmware download for PIC16F84A and PIC16F877 targets on TVR-IO boards"), this);
    purpose->setWordWrap(true);
    units.Place(purpose, kSecondLine);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QString::number(IDC_EXIT));
    ok->setDefault(true);
    units.Place(ok, kOkButton);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(units.X(kWindow.width), units.Y(kWindow.height));
}
