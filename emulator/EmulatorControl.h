#pragma once
// Control interface of the board emulator (libftd2xx.so), for tests: rebuild the bus, drive
// the clock, inject faults, look into the target chips. The program under test never calls
// these; it sees only the D2XX functions. emulator/README.md describes every call.
//
// "device" here is a board's position in the configuration (0 for the first [board] section
// or standard board), which stays the same when boards are unplugged. The D2XX device number
// of FT_Open counts attached boards only; the two agree while every board is attached.
//
// Functions returning int give 0 on success; on failure EmuLastError says why.

#if defined(_WIN32)
#define EMULATOR_EXPORT __declspec(dllexport)
#else
#define EMULATOR_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

// Rebuilds the bus from configuration text in the file format; nullptr or "" gives the two
// standard boards. Clears the faults, closes every handle and resets the clock to 0. The time
// mode, the USB cost model and the trace file stay as they were unless the text sets them. On
// a bad line nothing changes and the result is that line's number.
EMULATOR_EXPORT int EmuConfigure(const char* configurationText);

EMULATOR_EXPORT void EmuSetSimulatedTime(int enabled);
// The program's own pauses, in simulated time; ignored in real time, where they really passed.
EMULATOR_EXPORT void EmuAdvanceClock(unsigned milliseconds);
EMULATOR_EXPORT unsigned long long EmuClockMilliseconds(void);

// The estimate of what the USB link costs (emulator/README.md): on (1) or off (0), the
// milliseconds of one transfer and of the chip's latency timer (16 in the FT8U245AM; 0 for
// none, which no chip of this generation allows). Each of them at most 60000.
EMULATOR_EXPORT int EmuSetUsbCost(int enabled, unsigned frameMilliseconds, unsigned latencyMilliseconds);
// The milliseconds the targets of every board have spent writing (program and configuration
// words, EEPROM bytes, bulk erases) with the cost model on, since the bus was built: the
// floor under any estimate of a Program.
EMULATOR_EXPORT unsigned long long EmuTargetWriteMilliseconds(void);

// A fault in the syntax of a configuration file's fault line, for example
// "ack-wrong command=CMD_CONNECT times=1". Without board=N it applies to every board.
EMULATOR_EXPORT int EmuInjectFault(const char* fault);
EMULATOR_EXPORT void EmuClearFaults(void);

// Addresses as in the program's image: program memory from 0, ID words and the
// configuration area 0x2000-0x2007, data EEPROM from 0x2100. Values as stored in the chip,
// without the zeros that code protection shows on the wire.
EMULATOR_EXPORT int EmuGetChipWord(int device, unsigned address, unsigned* value);
EMULATOR_EXPORT int EmuSetChipWord(int device, unsigned address, unsigned value);

// The 16 stored characters up to the first 0, as a C string cut to size - 1 characters.
EMULATOR_EXPORT int EmuGetVersionText(int device, char* buffer, unsigned size);
// Stores up to 16 characters, padded with 0 (the board answers "NO VERSION" for "").
EMULATOR_EXPORT int EmuSetVersionText(int device, const char* text);

// Appends the trace to `path` from now on; nullptr or "" stops tracing.
EMULATOR_EXPORT void EmuSetTraceFile(const char* path);

// Plugs a board in (1) or out (0). Unplugging drops bytes on their way and kills the open
// handle, whose calls then fail with FT_IO_ERROR; plugging in restarts the board's firmware.
EMULATOR_EXPORT int EmuSetAttached(int device, int attached);

// 1 while a live handle is open on the board, 0 when not, -1 for an unknown device.
EMULATOR_EXPORT int EmuIsOpen(int device);
// Boards in the configuration, attached or not.
EMULATOR_EXPORT int EmuBoardCount(void);

// Why the last failing control call failed; "" after a success.
EMULATOR_EXPORT const char* EmuLastError(void);

} // extern "C"
