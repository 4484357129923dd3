#include "app/ProgramArguments.h"

#include <QCoreApplication>
#include <QCommandLineParser>
#include <QStringList>

#include <cstdio>
#include <cstring>

#include "QuilletVersion.h"

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

void PrintError(const QString& text)
{
    std::fprintf(stderr, "%s: %s\nRun '%s --help' for the options.\n",
                 qPrintable(QCoreApplication::applicationName()), qPrintable(text),
                 qPrintable(QCoreApplication::applicationName()));
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
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()), QUILLET_VERSION);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        PrintError(QString("unexpected argument '%1'").arg(parser.positionalArguments().constFirst()));
        return kUsageError;
    }
    return -1;
}
