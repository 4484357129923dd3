#include "image/HexTextFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes the descriptor on every way out of the reader.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

bool ReadAll(int fd, std::string& text)
{
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        // The file may have grown since it was measured.
        if (text.size() + static_cast<std::size_t>(got) > HEX_FILE_SIZE_LIMIT)
            return false;
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

} // namespace

bool ReadHexFileText(const std::string& path, std::string& text)
{
    text.clear();
    if (path.empty())
        return false;
    // Non-blocking, so that opening a FIFO returns at once instead of waiting for a writer;
    // the type is then tested on the opened file itself, not on a path that may change.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.Get() < 0)
        return false;
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0 ||
        static_cast<std::size_t>(status.st_size) > HEX_FILE_SIZE_LIMIT)
        return false;
    text.reserve(static_cast<std::size_t>(status.st_size));
    if (!ReadAll(file.Get(), text)) {
        text.clear();
        return false;
    }
    return true;
}
