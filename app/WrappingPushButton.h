#pragma once
#include <QPushButton>

// A push button whose text wraps onto two lines, as the narrow operation buttons need
// ("BLANK CHECK"); text() still returns the text unchanged.
class WrappingPushButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};
