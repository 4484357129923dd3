#pragma once
#include <QDialog>

// The splash window: a borderless picture beside the main window's top, shown while the
// program starts. It releases itself when it closes, by the main window's timer or by Esc.
class CSplashDlg : public QDialog {
public:
    explicit CSplashDlg(QWidget* owner);
};
