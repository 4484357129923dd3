#include "app/CSplashDlg.h"

#include <QLabel>

#include "app/DialogUnits.h"

namespace {

// Where the splash stands relative to the main window's client area, in dialog units.
constexpr int kSplashX = 220;
constexpr int kSplashY = 10;
// The picture's size in pixels.
constexpr int kPictureWidth = 474;
constexpr int kPictureHeight = 139;

} // namespace

CSplashDlg::CSplashDlg(QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("131"));
    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap(QStringLiteral(":/splash134.png")));
    picture->setGeometry(0, 0, kPictureWidth, kPictureHeight);
    setFixedSize(kPictureWidth, kPictureHeight);
    const DialogUnits units(owner->font());
    move(owner->mapToGlobal(QPoint(units.X(kSplashX), units.Y(kSplashY))));
}
