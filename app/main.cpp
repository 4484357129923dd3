#include <QApplication>
#include <QCoreApplication>

#include "app/CDownloadApp.h"
#include "app/ProgramArguments.h"

int main(int argc, char* argv[])
{
    // --help and --version answer without a window system, on a machine without a display too.
    if (AsksOnlyForText(argc, argv)) {
        QCoreApplication application(argc, argv);
        const int exitCode = ReadProgramArguments(application);
        return exitCode >= 0 ? exitCode : 0;
    }
    // No application name is set: the program's name is its executable's base name, which
    // captions the message boxes and names the settings profile.
    QApplication application(argc, argv);
    if (const int exitCode = ReadProgramArguments(application); exitCode >= 0)
        return exitCode;
    return CDownloadApp().Run();
}
