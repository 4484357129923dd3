#pragma once
#include <cstddef>
#include <string>

// The largest HEX file read. A PIC16 image is at most 9000 words, some 60 KiB of records;
// 16 MiB leaves room for any comments and padding a tool chain writes, and keeps a wrong
// choice in the file dialog from filling memory.
inline constexpr std::size_t HEX_FILE_SIZE_LIMIT = 16u * 1024u * 1024u;

// Reads the whole file at `path` into `text`. False, with `text` empty, when the path is
// empty, the file cannot be opened, is not a regular file (a directory, a FIFO or named pipe,
// a device such as /dev/zero or NUL) or is larger than HEX_FILE_SIZE_LIMIT. Never blocks on
// a pipe. HexTextFile.cpp reads on POSIX systems, HexTextFileWin32.cpp on Windows.
bool ReadHexFileText(const std::string& path, std::string& text);
