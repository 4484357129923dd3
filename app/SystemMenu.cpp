#include "app/SystemMenu.h"

#include <QWidget>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

// The entry's command id: below 0xF000, where the system's own commands start, and with the
// low four bits clear, which Windows keeps for itself in WM_SYSCOMMAND.
constexpr UINT IDM_ABOUTBOX = 0x0010;

} // namespace

void AddAboutToSystemMenu(QWidget& window, const wchar_t* text)
{
    if (HMENU systemMenu = GetSystemMenu(reinterpret_cast<HWND>(window.winId()), FALSE)) {
        AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, text);
    }
}

bool IsAboutCommand(const void* message)
{
    const MSG* msg = static_cast<const MSG*>(message);
    return msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == IDM_ABOUTBOX;
}
