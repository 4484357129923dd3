#pragma once
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "emulator/EmulatorControl.h"

#if defined(_WIN32)
#include <process.h>
inline int ProcessId() { return _getpid(); }
#else
#include <unistd.h>
inline int ProcessId() { return static_cast<int>(::getpid()); }
#endif

// Points the emulator's trace at a fresh temporary file for the life of the object, and
// reads back the calls and the bytes that crossed the wire.
class TraceFile {
public:
    // Named after the process too: the same test of another build tree may run meanwhile.
    explicit TraceFile(const std::string& name)
        : path_(std::filesystem::temp_directory_path() /
                ("quillet-" + name + "-" + std::to_string(ProcessId()) + ".trace"))
    {
        std::filesystem::remove(path_);
        EmuSetTraceFile(path_.string().c_str());
    }
    ~TraceFile()
    {
        EmuSetTraceFile(nullptr);
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    // Starts the file afresh, for a test that runs several cases in turn.
    void Clear()
    {
        EmuSetTraceFile(nullptr);
        std::filesystem::remove(path_);
        EmuSetTraceFile(path_.string().c_str());
    }

    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        std::ifstream in(path_);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    // How many calls of a D2XX function the trace holds.
    int Count(const std::string& function) const
    {
        int count = 0;
        for (const std::string& line : Lines())
            count += line.find(" " + function + "(") != std::string::npos ? 1 : 0;
        return count;
    }

    // How many FT_Write calls carried exactly these bytes, e.g. "0A 0A 05 0A".
    int CountWrites(const std::string& bytes) const
    {
        int count = 0;
        for (const std::string& line : Lines())
            count += line.find(" FT_Write(") != std::string::npos &&
                             line.find("tx=" + bytes + " ") != std::string::npos
                         ? 1
                         : 0;
        return count;
    }

    // Every byte written by FT_Write, in order, as upper-case hex separated by spaces.
    std::string Written() const { return Field("tx="); }
    // Every byte returned by FT_Read, in order.
    std::string Received() const { return Field("rx="); }

private:
    std::string Field(const std::string& key) const
    {
        std::string bytes;
        for (const std::string& line : Lines()) {
            const auto start = line.find(key);
            if (start == std::string::npos)
                continue;
            const auto from = start + key.size();
            // The bytes run until the next " name=" or " ->".
            auto end = line.find('=', from);
            end = end == std::string::npos ? line.find(" ->", from) : line.rfind(' ', end);
            std::string run = line.substr(from, end - from);
            while (!run.empty() && run.back() == ' ')
                run.pop_back();
            if (run.empty())
                continue;
            if (!bytes.empty())
                bytes += ' ';
            bytes += run;
        }
        return bytes;
    }

    std::filesystem::path path_;
};
