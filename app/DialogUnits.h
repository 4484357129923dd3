#pragma once
#include <algorithm>
#include <QFont>
#include <QFontMetrics>
#include <QRect>
#include <QWidget>

// A control's place in a dialog template: x, y, width and height in dialog units.
struct DialogPlacement {
    int x, y, width, height;
};

// Converts dialog units to pixels for a font, the way dialog templates are laid out: a
// horizontal unit is a quarter of the font's average character width, a vertical unit an
// eighth of its height. The window keeps its proportions whatever font the desktop uses.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font)
    {
        const QFontMetricsF metrics(font);
        averageWidth_ =
            metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0;
        height_ = metrics.height();
    }

    int X(int units) const { return qRound(units * averageWidth_ / 4.0); }
    int Y(int units) const { return qRound(units * height_ / 8.0); }
    QRect Rect(int x, int y, int width, int height) const
    {
        return QRect(X(x), Y(y), X(width), Y(height));
    }
    QRect Rect(const DialogPlacement& where) const
    {
        return Rect(where.x, where.y, where.width, where.height);
    }
    void Place(QWidget* widget, const DialogPlacement& where) const { widget->setGeometry(Rect(where)); }
    // A static text keeps its place but never clips: desktop fonts run wider than the ones
    // the templates were drawn with.
    void PlaceText(QWidget* text, const DialogPlacement& where) const
    {
        QRect area = Rect(where);
        area.setWidth(std::max(area.width(), text->sizeHint().width()));
        text->setGeometry(area);
    }

private:
    double averageWidth_ = 6.0;
    double height_ = 13.0;
};

// The desktop's font at the size a window's template asks for. The main window's template
// asks for 8 points and gets the desktop font as it is; a 12-point template gets it half as
// large again.
inline QFont TemplateFont(const QFont& desktop, double templatePoints)
{
    QFont font = desktop;
    font.setPointSizeF(desktop.pointSizeF() * templatePoints / 8.0);
    return font;
}
