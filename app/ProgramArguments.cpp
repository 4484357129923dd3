#include "app/ProgramArguments.h"

#include <QCoreApplication>
#include <QCommandLineParser>
#include <QStringList>

#include <cstdio>
#include <cstring>

#include "QuilletVersion.h"

#if defined(Q_OS_WIN)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace {

constexpr int kUsageError = 2;

bool IsTextOption(const char* argument)
{
    for (const char* option : {"-h", "--help", "-?", "-v", "--version"}) {
        if (std::strcmp(argument, option) == 0)
            return true;
    }
    return false;
}

// Writes text to standard output or standard error. On Windows the window is a program
// without a console of its own: started from a console, its text goes to that console;
// started from a shortcut with options, it is shown in a message box.
void Print(std::FILE* stream, const QString& text)
{
#if defined(Q_OS_WIN)
    const HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        if (!AttachConsole(ATTACH_PARENT_PROCESS) || !std::freopen("CONOUT$", "w", stream)) {
            MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text.utf16()),
                        reinterpret_cast<const wchar_t*>(QCoreApplication::applicationName().utf16()),
                        stream == stderr ? MB_ICONERROR : MB_ICONINFORMATION);
            return;
        }
    }
#endif
    std::fputs(qPrintable(text), stream);
    std::fflush(stream);
}

void PrintError(const QString& text)
{
    const QString name = QCoreApplication::applicationName();
    Print(stderr, QString("%1: %2\nRun '%1 --help' for the options.\n").arg(name, text));
}

} // namespace

bool AsksOnlyForText(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (IsTextOption(argv[i]))
            return true;
    }
    return false;
}

int ReadProgramArguments(const QCoreApplication& application)
{
    QCoreApplication::setApplicationVersion(QUILLET_VERSION);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Downloads firmware into PIC16F84A and PIC16F877 microcontrollers on TVR-IO boards.\n"
        "The window takes no arguments besides Qt's own options (-platform, -style, ...).\n"
        "Settings are kept in Quillet1.INI in the user's configuration folder; quillet(1) is the\n"
        "command-line front end.");
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    if (!parser.parse(application.arguments())) {
        PrintError(parser.errorText());
        return kUsageError;
    }
    if (parser.isSet(help)) {
        Print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        Print(stdout, QString("%1 %2\n").arg(QCoreApplication::applicationName(), QUILLET_VERSION));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        PrintError(QString("unexpected argument '%1'").arg(parser.positionalArguments().constFirst()));
        return kUsageError;
    }
    return -1;
}
