#pragma once
// The command words as they cross the wire: four nibble bytes, least significant first, in
// the trace's notation.
inline constexpr char CONNECT[] = "0C 0A 05 0A";         // 0xA5AC
inline constexpr char PING[] = "01 0A 05 0A";            // 0xA5A1
inline constexpr char GET_REVISION[] = "01 0B 05 0A";    // 0xA5B1
inline constexpr char GET_VERSION[] = "02 0A 05 0A";     // 0xA5A2
inline constexpr char GET_PROCESSOR[] = "0A 0A 05 0A";   // 0xA5AA
inline constexpr char DISCONNECT[] = "0B 0A 05 0A";      // 0xA5AB
inline constexpr char WRITE_VERSION[] = "06 0A 05 0A";   // 0xA5A6
inline constexpr char BLANK_CHECK_84A[] = "08 0A 05 0A"; // 0xA5A8
inline constexpr char BLANK_CHECK_877[] = "04 0A 05 0A"; // 0xA5A4
inline constexpr char ERASE_84A[] = "0D 0A 05 0A";       // 0xA5AD
inline constexpr char ERASE_877[] = "09 0A 05 0A";       // 0xA5A9
inline constexpr char PROGRAM_84A[] = "0F 0A 05 0A";     // 0xA5AF
inline constexpr char PROGRAM_877[] = "0E 0A 05 0A";     // 0xA5AE
inline constexpr char READ_84A[] = "07 0A 05 0A";        // 0xA5A7
inline constexpr char READ_877[] = "03 0A 05 0A";        // 0xA5A3
