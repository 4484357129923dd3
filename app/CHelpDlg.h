#pragma once
#include <QDialog>
#include <string>
#include <vector>

class QListWidget;

// The Help Dialog: a modeless list of a control's description lines beside the main window.
// Close ends help mode in full (closeClicked, then the dialog goes); Esc only removes the
// dialog. Either way it releases itself once its window is gone.
class CHelpDlg : public QDialog {
    Q_OBJECT

public:
    explicit CHelpDlg(QWidget* owner);

    void ShowLines(const std::vector<std::string>& lines);
    void AddLine(const QString& line);
    QStringList Lines() const;

signals:
    void closeClicked();

private:
    QListWidget* list_ = nullptr;
};
