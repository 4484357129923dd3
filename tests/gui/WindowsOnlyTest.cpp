// What the window does differently on Windows, against Windows' own answers: the About entry
// of the system menu, the ANSI code page of board names, and where the profile lives. Runs on
// the windows platform (a real HWND), under wine on a virtual display in ./test-windows.
#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include "WindowFixture.h"
#include "app/CAboutBoxDlg.h"
#include "app/DriverText.h"
#include "app/SettingsProfile.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shlobj.h>

class WindowsOnlyTest : public QObject {
    Q_OBJECT

private slots:
    // Before any fixture: the fixture moves the profile into Qt's test folder.
    void keepsTheProfileInTheLocalApplicationData()
    {
        QStandardPaths::setTestModeEnabled(false);
        QCoreApplication::setApplicationName(QStringLiteral("Quillet1"));
        PWSTR folder = nullptr;
        QVERIFY(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder)));
        const QString expected = QDir::fromNativeSeparators(QString::fromWCharArray(folder)) + "/Quillet1.INI";
        CoTaskMemFree(folder);
        QCOMPARE(SettingsProfile::FilePath(), expected);
    }

    void systemMenuEndsWithAboutWhichOpensTheAboutBox()
    {
        WindowFixture f;
        f.Window().show();
        const HWND window = reinterpret_cast<HWND>(f.Window().winId());
        const HMENU menu = GetSystemMenu(window, FALSE);
        QVERIFY(menu);
        const int count = GetMenuItemCount(menu);
        QVERIFY(count >= 2);
        QCOMPARE(GetMenuItemID(menu, count - 1), 0x0010u);
        wchar_t text[64] = {};
        GetMenuStringW(menu, count - 1, text, 64, MF_BYPOSITION);
        QCOMPARE(QString::fromWCharArray(text), QStringLiteral("&About Quillet1..."));
        MENUITEMINFOW separator = {};
        separator.cbSize = sizeof separator;
        separator.fMask = MIIM_FTYPE;
        QVERIFY(GetMenuItemInfoW(menu, count - 2, TRUE, &separator));
        QVERIFY(separator.fType & MFT_SEPARATOR);

        // Choosing it: Windows sends WM_SYSCOMMAND with the entry's id, low four bits its own.
        QString shown;
        QTimer::singleShot(0, [&shown] {
            if (QWidget* about = QApplication::activeModalWidget()) {
                shown = about->windowTitle();
                about->close();
            }
        });
        SendMessageW(window, WM_SYSCOMMAND, 0x0010 | 0x3, 0);
        QCOMPARE(shown, QStringLiteral("About Quillet1"));
    }

    void boardNamesTravelInTheAnsiCodePage()
    {
        const std::string bytes = "TVR-IO \xC4\xE9\xFC\x80";
        wchar_t wide[32] = {};
        const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide, 32);
        QVERIFY(length > 0);
        const QString expected = QString::fromWCharArray(wide, length);
        QCOMPARE(FromDriverText(bytes), expected);
        QCOMPARE(ToDriverText(expected), bytes);
    }
};

QTEST_MAIN(WindowsOnlyTest)
#include "WindowsOnlyTest.moc"
