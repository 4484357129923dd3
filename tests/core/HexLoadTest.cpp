// The check and the load of a file by its path: no name, and everything that is not a
// regular file of reasonable size, refused at once.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "HexTestSupport.h"
#include "image/HexFile.h"

namespace {

// Ends the test program when a reader waits on a pipe or reads a device for ever.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit)
        : thread_([this, limit] {
              std::unique_lock lock(mutex_);
              if (!done_.wait_for(lock, limit, [this] { return finished_; })) {
                  std::fputs("a read did not return\n", stderr);
                  std::_Exit(1);
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_one();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

// A pipe that nobody writes to: a FIFO, or on Windows a named pipe whose server never writes.
class SilentPipe {
public:
    SilentPipe()
    {
#if defined(_WIN32)
        path_ = "\\\\.\\pipe\\quillet-unreadable-" + std::to_string(GetCurrentProcessId());
        server_ = CreateNamedPipeA(path_.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 4, 0, 0, 0,
                                   nullptr);
        EXPECT_NE(server_, INVALID_HANDLE_VALUE);
#else
        path_ = QUILLET_TEST_BINARY_DIR "/unreadable.fifo";
        std::filesystem::remove(path_);
        EXPECT_EQ(::mkfifo(path_.c_str(), 0600), 0);
#endif
    }
    ~SilentPipe()
    {
#if defined(_WIN32)
        CloseHandle(server_);
#else
        std::filesystem::remove(path_);
#endif
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
#if defined(_WIN32)
    HANDLE server_;
#endif
};

#if defined(_WIN32)
constexpr char kEndlessDevice[] = "NUL"; // reads nothing, but is no file
constexpr char kFailingFile[] = "NUL";
#else
constexpr char kEndlessDevice[] = "/dev/zero";
// A regular file to fstat whose read fails: nothing is mapped at the address 0 it starts at.
constexpr char kFailingFile[] = "/proc/self/mem";
#endif

TEST(HexLoad, NoNameAndUnreadableFiles)
{
    EXPECT_EQ(CheckHexFile("", TargetProcessor::PIC16F877, {}), HEX_NO_FILE_NAME);

    // A pipe would block the open or the read until a writer came, a device would never end.
    const SilentPipe pipe;
    const std::string huge = QUILLET_TEST_BINARY_DIR "/huge.hex";
    std::ofstream{huge}.close();
    std::filesystem::resize_file(huge, 16u * 1024u * 1024u + 1u); // one byte over the limit
    const std::string unreadable[] = {HexFixture("no-such-file.hex"), QUILLET_TEST_DATA_DIR, kEndlessDevice,
                                      pipe.Path(), huge, kFailingFile};
    const Watchdog watchdog(std::chrono::seconds(10));
    for (const std::string& path : unreadable) {
        EXPECT_EQ(CheckHexFile(path, TargetProcessor::PIC16F877, {}), HEX_CANNOT_OPEN) << path;
        FirmwareImage image;
        image.Fill(0); // the failed load still leaves the initial contents
        EXPECT_FALSE(LoadHexImage(path, HexLoadMode::Listing, image)) << path;
        EXPECT_EQ(image, FirmwareImage()) << path;
    }
    // An empty file, and one of exactly the largest size, are read (and hold no record).
    std::filesystem::resize_file(huge, 16u * 1024u * 1024u);
    const std::string empty = QUILLET_TEST_BINARY_DIR "/empty.hex";
    std::ofstream{empty}.close();
    for (const std::string& path : {empty, huge}) {
        EXPECT_NE(CheckHexFile(path, TargetProcessor::PIC16F877, {}), HEX_CANNOT_OPEN) << path;
        FirmwareImage image;
        EXPECT_TRUE(LoadHexImage(path, HexLoadMode::Listing, image)) << path;
    }
    std::filesystem::remove(huge);
    std::filesystem::remove(empty);
}

} // namespace
