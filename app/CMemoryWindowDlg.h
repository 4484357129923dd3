#pragma once
#include <QDialog>
#include <QStringList>

class QListWidget;

// The Memory Window: a modeless list of memory lines beside the main window, filled by View
// and Read. It stays in front of its owner and goes with it. The close box and Esc destroy
// it and release the object; the owner keeps only a guarded reference. Enter does nothing:
// the window has no button for it to press, and a listing should not vanish on a stray key.
class CMemoryWindowDlg : public QDialog {
    Q_OBJECT

public:
    explicit CMemoryWindowDlg(QWidget* owner);

    // Shows the window and has it on the screen before returning, for a caller that does
    // not return to the event loop until its operation ends.
    void ShowNow();

    void AddLine(const QString& line);
    void Clear();
    // Lays out the lines just added and paints them at once, for the same callers.
    void RepaintNow();
    QStringList Lines() const;

private:
    QListWidget* list_ = nullptr;
};
