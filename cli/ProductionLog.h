#pragma once
// The production log (--log FILE): one JSON object per board per run, one line each,
// appended, so that what went into which chip can be looked up later (jq reads it as it is).
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "cli/BoardList.h"
#include "cli/ExitCodes.h"
#include "cli/JsonLine.h"

// The HEX file of a run as the log names it: where it was, how large, its SHA-256.
struct HexFileFacts {
    std::string path; // absolute
    long long size = 0;
    std::string sha256;

    // Reads the file once; false when it cannot be read.
    static bool Of(const std::string& path, HexFileFacts& facts);
};

// What one board did in a run.
struct BoardLogEntry {
    std::string operation;
    BoardIdentity board;
    std::string processor;              // empty when the board never answered
    const HexFileFacts* hexFile = nullptr;
    std::optional<int> configWord;      // the configuration word written
    std::optional<std::uint64_t> serialNumber; // written, or checked by verify
    Outcome outcome;
    long long milliseconds = 0;
};

class ProductionLog {
public:
    explicit ProductionLog(std::string path);

    // Empty when the file can be appended to (it is created if missing); else why not.
    std::string Check();

    // Appends the entry as one line and syncs it to the disk before returning, so that a
    // crash or a power cut loses at most the boards still running. The line is written in
    // one write under an exclusive lock of the file: boards of one run and runs in other
    // processes never interleave. Empty on success, else why not.
    std::string Append(const BoardLogEntry& entry);

    // The line of an entry written at `now`, without its line feed.
    static JsonLine Record(const BoardLogEntry& entry, std::chrono::system_clock::time_point now);

    // A moment in UTC to the millisecond, as the log's "time" holds it: "2026-12-07T04:05:06.789Z".
    static std::string UtcText(std::chrono::system_clock::time_point now);

private:
    std::string path_;
    std::mutex mutex_;
};
