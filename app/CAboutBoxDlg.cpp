#include "app/CAboutBoxDlg.h"

#include <QLabel>
#include <QPushButton>

#include "app/DialogUnits.h"
#include "res/ControlIds.h"

namespace {

struct Placement {
    int x, y, width, height; // dialog units
};
constexpr Placement kWindow{0, 0, 235, 55};
constexpr Placement kIcon{11, 17, 20, 20};
constexpr Placement kVersionLine{40, 10, 119, 8};
constexpr Placement kSecondLine{40, 25, 119, 16};
constexpr Placement kOkButton{178, 7, 50, 14};

} // namespace

CAboutBoxDlg::CAboutBoxDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("100"));
    setWindowTitle(QStringLiteral("About Quillet1"));
    const DialogUnits units(font());
    const auto place = [&units](QWidget* widget, const Placement& where) {
        widget->setGeometry(units.Rect(where.x, where.y, where.width, where.height));
    };

    auto* icon = new QLabel(this);
    const QRect iconArea = units.Rect(kIcon.x, kIcon.y, kIcon.width, kIcon.height);
    icon->setPixmap(QIcon(QStringLiteral(":/icon128.png")).pixmap(iconArea.size()));
    icon->setGeometry(iconArea);
    auto* version = new QLabel(QStringLiteral("Quillet1 Version 1.0"), this);
    place(version, kVersionLine);
    auto* purpose = new QLabel(
        QStringLiteral("Firmware download for PIC16F84A and PIC16F877 targets on TVR-IO boards"), this);
    purpose->setWordWrap(true);
    place(purpose, kSecondLine);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QString::number(IDC_EXIT));
    ok->setDefault(true);
    place(ok, kOkButton);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(units.X(kWindow.width), units.Y(kWindow.height));
}
