#pragma once

// The application object: shows the main window modally; when it closes, the program ends.
class CDownloadApp {
public:
    int Run();
};
