#pragma once
// quillet's exit codes as its --help and the README promise them to scripts; written out
// here, not taken from the program, so that a changed number fails the tests.
inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitHexFile = 3;
inline constexpr int kExitNoBoard = 4;
inline constexpr int kExitNotBlank = 5;
inline constexpr int kExitEraseFailed = 6;
inline constexpr int kExitVerifyDiffers = 7;
inline constexpr int kExitProgramFailed = 8;
inline constexpr int kExitOutputFile = 9;
inline constexpr int kExitNoDriver = 10;
