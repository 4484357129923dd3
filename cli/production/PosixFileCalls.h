#pragma once
// The POSIX file calls the production log and the serial counter file rely on: open with
// O_CLOEXEC and O_NONBLOCK, an exclusive flock, pread and pwrite at the start, fsync,
// gmtime_r, gethostname; and OpenShared, an open that lets others rename the file meanwhile.
// Windows gets them here over its C runtime and the Win32 calls that do the same.
#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cerrno>
#include <cstddef>
#include <ctime>
#include <fcntl.h>
#include <io.h>
#include <sys/types.h>
#include <unistd.h>

// Windows has no close-on-exec flag for open; its place carries binary mode, which every file
// opened here needs, so that line ends are written as they are.
#ifndef O_CLOEXEC
#define O_CLOEXEC _O_BINARY
#endif
// No FIFOs to wait on: an open never blocks.
#ifndef O_NONBLOCK
#define O_NONBLOCK 0
#endif

inline constexpr int LOCK_EX = 2;
inline constexpr int LOCK_UN = 8;

// The whole file, exclusively, waiting for another holder as flock does. A device or a pipe
// has no bytes to lock (LockFileEx refuses it): there it succeeds at once, as flock does.
inline int flock(int fd, int operation)
{
    const HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (file == INVALID_HANDLE_VALUE) {
        errno = EBADF;
        return -1;
    }
    if (GetFileType(file) != FILE_TYPE_DISK)
        return 0;
    OVERLAPPED from{};
    const BOOL done = operation == LOCK_UN ? UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &from)
                                           : LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &from);
    if (!done) {
        errno = EIO;
        return -1;
    }
    return 0;
}

// The C runtime's open shares reading and writing but not deletion, so it fails (EACCES, a
// sharing violation) while another process holds the file with delete access, as MoveFileEx
// does for a moment after giving a new serial journal its name. This one shares all three, as
// an open does on POSIX systems. Flags: O_RDONLY, O_WRONLY or O_RDWR, O_APPEND, O_CREAT,
// O_EXCL; the handle is not inherited, and the file is binary.
inline int OpenShared(const char* path, int flags, int = 0)
{
    const int reading = flags & O_ACCMODE;
    const DWORD access = reading == O_RDONLY  ? GENERIC_READ
                         : reading == O_WRONLY ? GENERIC_WRITE
                                               : GENERIC_READ | GENERIC_WRITE;
    const DWORD disposition = !(flags & O_CREAT) ? OPEN_EXISTING : (flags & O_EXCL) ? CREATE_NEW : OPEN_ALWAYS;
    const HANDLE file = CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        // Mapped as the C runtime's open maps them.
        switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            errno = ENOENT;
            break;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            errno = EEXIST;
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            errno = EACCES;
            break;
        default:
            errno = EINVAL;
        }
        return -1;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), flags & O_APPEND);
    if (fd < 0)
        CloseHandle(file);
    return fd;
}

inline int fsync(int fd)
{
    return _commit(fd);
}

inline ssize_t pread(int fd, void* buffer, std::size_t count, long long offset)
{
    if (_lseeki64(fd, offset, SEEK_SET) < 0)
        return -1;
    return _read(fd, buffer, static_cast<unsigned>(count));
}

inline ssize_t pwrite(int fd, const void* buffer, std::size_t count, long long offset)
{
    if (_lseeki64(fd, offset, SEEK_SET) < 0)
        return -1;
    return _write(fd, buffer, static_cast<unsigned>(count));
}

inline std::tm* gmtime_r(const std::time_t* seconds, std::tm* out)
{
    return gmtime_s(out, seconds) == 0 ? out : nullptr;
}

inline int gethostname(char* name, std::size_t size)
{
    DWORD length = static_cast<DWORD>(size);
    return GetComputerNameA(name, &length) ? 0 : -1;
}
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

inline int OpenShared(const char* path, int flags, int mode = 0)
{
    return ::open(path, flags, mode);
}
#endif
