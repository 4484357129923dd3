#pragma once
// The file calls the production log and the serial journal have in common: both are files of
// lines that only grow, written by the boards of one run and by other runs at the same time,
// and both must read back whole after a kill, a full disk or a power cut at any moment.
#include <cstddef>
#include <string>

// What went wrong with a shared file: the step ("open", "lock", "read", "write", "sync") and
// the system's reason. An empty step is success.
struct FileFailure {
    std::string step;
    std::string reason;
    int error = 0; // errno

    explicit operator bool() const { return !step.empty(); }
};

// An open shared file; closing it lets go of its lock.
class SharedFile {
public:
    SharedFile() = default;
    ~SharedFile();
    SharedFile(const SharedFile&) = delete;
    SharedFile& operator=(const SharedFile&) = delete;

    // Opens `path` to read and append; a missing file fails the open unless `create`, which
    // creates it empty and syncs its folder, so that the new name survives a power cut.
    // `created` tells whether this call created it.
    FileFailure Open(const std::string& path, bool create, bool& created);
    // Creates `path` holding `line` and a line feed, whole or not at all (written beside it,
    // synced, then given its name, which fails if another run created it first: `created`
    // false, and that run's file stands). The folder is synced after.
    static FileFailure CreateWithLine(const std::string& path, const std::string& line, bool& created);

    // Waits for the exclusive lock of the whole file, which other runs wait for too.
    FileFailure Lock();
    // The last `most` bytes of the file, or all of a smaller one.
    FileFailure ReadTail(std::size_t most, std::string& tail);
    // Appends `line` and a line feed in one write and syncs the file. A file whose last line
    // has no line feed (a write cut short by a power cut) gets one first, so that the torn
    // line never swallows this one; a write the disk takes only part of (a full disk) is
    // undone, so that no later line is glued to it. Call it with the lock held.
    FileFailure AppendLine(const std::string& line);

private:
    int fd_ = -1;
};
