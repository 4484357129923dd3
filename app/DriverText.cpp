#include "app/DriverText.h"

#include <QByteArray>

QString FromDriverText(const std::string& bytes)
{
#if defined(Q_OS_WIN)
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
#else
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
#endif
}

std::string ToDriverText(const QString& text)
{
#if defined(Q_OS_WIN)
    const QByteArray bytes = text.toLocal8Bit();
#else
    // Qt's toLatin1 also gives '?' for what Latin-1 lacks.
    const QByteArray bytes = text.toLatin1();
#endif
    return bytes.toStdString();
}
