// ReadHexFileText on Windows: the same refusals as on POSIX systems, in Windows' terms.
#include "image/HexTextFile.h"

#include <windows.h>

namespace {

// Closes the handle on every way out of the reader.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

bool ReadAll(HANDLE file, std::string& text)
{
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr))
            return false;
        if (got == 0)
            return true;
        // The file may have grown since it was measured.
        if (text.size() + got > HEX_FILE_SIZE_LIMIT)
            return false;
        text.append(buffer, got);
    }
}

} // namespace

bool ReadHexFileText(const std::string& path, std::string& text)
{
    text.clear();
    if (path.empty())
        return false;
    // The path is in the ANSI code page, as main's arguments and QFile::encodeName give it.
    // Without FILE_FLAG_BACKUP_SEMANTICS a folder does not open; others may go on writing.
    const FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE)
        return false;
    // Only a file on a disk: a named pipe would wait for its writer, a device such as NUL or
    // CON never ends or waits for the keyboard. The type is that of the opened handle.
    LARGE_INTEGER size{};
    if (GetFileType(file.Get()) != FILE_TYPE_DISK || !GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > HEX_FILE_SIZE_LIMIT)
        return false;
    text.reserve(static_cast<std::size_t>(size.QuadPart));
    if (!ReadAll(file.Get(), text)) {
        text.clear();
        return false;
    }
    return true;
}
