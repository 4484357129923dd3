#pragma once
#include <QDialog>
#include <QStringList>

class QListWidget;

// The Target Select Dialog: the boards Search found, one per line under a header line, the
// first board selected. OK takes the selected line; Esc leaves the previous choice.
class CTargetSelectDlg : public QDialog {
public:
    CTargetSelectDlg(const QStringList& lines, QString& selectedDevice, QWidget* parent);

    void accept() override;
    QListWidget* List() const { return list_; }

private:
    QString& selectedDevice_;
    QListWidget* list_ = nullptr;
};
