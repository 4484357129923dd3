#include <QApplication>

#include "app/CDownloadApp.h"

int main(int argc, char* argv[])
{
    // No application name is set: the program's name is its executable's base name, which
    // captions the message boxes and names the settings profile.
    QApplication application(argc, argv);
    return CDownloadApp().Run();
}
