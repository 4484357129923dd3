#include "app/QtMessageSink.h"

#include <QApplication>
#include <QMessageBox>

void QtMessageSink::ShowMessage(const std::string& text)
{
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(),
                    QString::fromStdString(text), QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}
