#pragma once
#include <QDialog>

// The About box: the program's icon, name and version, and an OK button.
class CAboutBoxDlg : public QDialog {
public:
    explicit CAboutBoxDlg(QWidget* parent);
};
