#pragma once
// The About entry that the main window adds to its system menu on Windows (built there only).
// <windows.h> stays inside SystemMenu.cpp: its macros clash with names of the window's own,
// IDC_HELP among them.

class QWidget;

// Appends a separator and `text` to the window's system menu.
void AddAboutToSystemMenu(QWidget& window, const wchar_t* text);

// Whether a native message of the window is the choice of that entry.
bool IsAboutCommand(const void* message);
