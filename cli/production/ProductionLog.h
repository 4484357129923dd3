#pragma once
// The production log (--log FILE): one JSON object per board per run, one line each,
// appended, so that what went into which chip can be looked up later (jq reads it as it is).
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "cli/production/BoardList.h"
#include "cli/ExitCodes.h"
#include "cli/JsonLine.h"

// The HEX file of a run as the log names it: where it was, how large, its SHA-256.
struct HexFileFacts {
    std::string path; // absolute
    long long size = 0;
    std::string sha256;

    // The facts of `text`, the bytes read from `path`.
    static HexFileFacts Of(const std::string& path, const std::string& text);
};

// What one board did in a run, or the serial number it was given before it did it.
struct BoardLogEntry {
    const char* record = "outcome";     // or "reserved": a number taken, the chip not yet written
    std::string operation;
    BoardIdentity board;
    std::string processor;              // empty when the board never answered
    const HexFileFacts* hexFile = nullptr;
    std::optional<int> configWord;      // the configuration word written
    std::optional<std::uint64_t> serialNumber; // written, or checked by verify
    std::optional<bool> verified;       // program --verify: the chip read back the same
    Outcome outcome;
    long long milliseconds = 0;
};

class ProductionLog {
public:
    explicit ProductionLog(std::string path);

    // Empty when the file can be appended to (it is created if missing, its folder synced);
    // else why not.
    std::string Check();

    // Appends the entry as one line and syncs it to the disk before returning, so that a
    // crash or a power cut loses at most the boards still running. The line is written in
    // one write under an exclusive lock of the file: boards of one run and runs in other
    // processes never interleave, a torn line left by a power cut is ended first, and a line
    // the disk takes only part of is taken back. Empty on success, else why not.
    std::string Append(const BoardLogEntry& entry);

    // The line of an entry written at `now`, without its line feed.
    static JsonLine Record(const BoardLogEntry& entry, std::chrono::system_clock::time_point now);
    // What every line says of the run and the board: time, host, tool, version, operation,
    // board, processor, HEX file. The serial journal's reservations carry them too.
    static JsonLine Facts(const BoardLogEntry& entry, std::chrono::system_clock::time_point now);

    // A moment in UTC to the millisecond, as the log's "time" holds it: "2026-12-07T04:05:06.789Z".
    static std::string UtcText(std::chrono::system_clock::time_point now);

private:
    std::string path_;
    std::mutex mutex_;
};
