#include "cli/production/SharedFile.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>

#include "cli/production/PosixFileCalls.h"

namespace {

FileFailure Failed(const char* step)
{
    return {step, std::generic_category().message(errno), errno};
}

// Makes a new or renamed entry of `path`'s folder durable. Windows has no call for a folder:
// there NTFS journals its own metadata, which is all it promises.
void SyncFolderOf(const std::string& path)
{
#if !defined(_WIN32)
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty())
        folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    (void)path;
#endif
}

// Writes all of `text` at the end of `fd`, going on after a short write (the caller holds the
// file's lock, so nothing comes between); false with errno set when the disk takes no more.
bool WriteWhole(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

SharedFile::~SharedFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

FileFailure SharedFile::Open(const std::string& path, bool create, bool& created)
{
    created = false;
    // Without O_NONBLOCK a FIFO given by mistake would hold the run until something wrote to it.
    constexpr int flags = O_RDWR | O_APPEND | O_CLOEXEC | O_NONBLOCK;
    fd_ = OpenShared(path.c_str(), flags);
    if (fd_ < 0 && errno == ENOENT && create) {
        fd_ = OpenShared(path.c_str(), flags | O_CREAT | O_EXCL, 0644);
        created = fd_ >= 0;
        if (fd_ < 0 && errno == EEXIST) // another run was quicker
            fd_ = OpenShared(path.c_str(), flags);
        if (created)
            SyncFolderOf(path);
    }
    return fd_ < 0 ? Failed("open") : FileFailure{};
}

FileFailure SharedFile::CreateWithLine(const std::string& path, const std::string& line, bool& created)
{
    created = false;
    std::random_device random;
    const std::string beside = path + ".new-" + std::to_string(random());
    const int fd = ::open(beside.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return Failed("open");
    const bool written = WriteWhole(fd, line + "\n");
    FileFailure failure = !written ? Failed("write") : ::fsync(fd) != 0 ? Failed("sync") : FileFailure{};
    ::close(fd);
    if (!failure) {
#if defined(_WIN32)
        // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
        created = MoveFileExA(beside.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
        const DWORD error = created ? 0 : GetLastError();
        const bool taken = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
        if (!created && !taken) {
            errno = EACCES;
            failure = Failed("open");
        }
#else
        created = ::link(beside.c_str(), path.c_str()) == 0;
        if (!created && errno != EEXIST)
            failure = Failed("open");
#endif
    }
    ::unlink(beside.c_str());
    SyncFolderOf(path);
    return failure;
}

FileFailure SharedFile::Lock()
{
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR)
            return Failed("lock");
    }
    return {};
}

FileFailure SharedFile::ReadTail(std::size_t most, std::string& tail)
{
    tail.clear();
    const off_t size = ::lseek(fd_, 0, SEEK_END);
    if (size < 0)
        return Failed("read");
    const off_t from = size > static_cast<off_t>(most) ? size - static_cast<off_t>(most) : 0;
    tail.resize(static_cast<std::size_t>(size - from));
    const ssize_t got = ::pread(fd_, tail.data(), tail.size(), from);
    if (got < 0)
        return Failed("read");
    tail.resize(static_cast<std::size_t>(got));
    return {};
}

FileFailure SharedFile::AppendLine(const std::string& line)
{
    std::string last;
    if (const FileFailure failure = ReadTail(1, last))
        return failure;
    const off_t before = ::lseek(fd_, 0, SEEK_END);
    const std::string text = (last.empty() || last == "\n" ? "" : "\n") + line + "\n";
    if (!WriteWhole(fd_, text)) {
        const FileFailure failure = Failed("write");
        if (::ftruncate(fd_, before) == 0)
            ::fsync(fd_);
        return failure;
    }
    return ::fsync(fd_) != 0 ? Failed("sync") : FileFailure{};
}
