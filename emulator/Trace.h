#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace emulator {

// The trace file: one line per D2XX call, appended and flushed at once so that a test or
// a person can read the exact bytes that crossed the wire while the program still runs.
//   t=<clock ms> <FunctionName>(<arguments>) [tx=<bytes>] [rx=<bytes>] ... -> <status>
class Trace {
public:
    Trace() = default;
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;
    ~Trace();

    // An empty path stops tracing. Returns false when the file cannot be opened for appending.
    bool Open(const std::string& path);
    void Close();
    bool Enabled() const { return file_ != nullptr; }
    const std::string& Path() const { return path_; }

    // `call` is everything after "t=<moment> ", without the line end.
    void Write(std::uint64_t moment, const std::string& call);

private:
    std::FILE* file_ = nullptr;
    std::string path_;
};

// "0C 0A 05 0A": two upper-case hexadecimal digits per byte, separated by single spaces.
std::string HexBytes(const std::uint8_t* bytes, std::size_t count);

} // namespace emulator
