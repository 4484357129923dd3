#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// SHA-256 (FIPS 180-4) of a byte string, as 64 lower-case hexadecimal digits: the production
// log names the HEX file that went into a chip by its digest, which `sha256sum` confirms.
std::string Sha256Hex(std::string_view bytes);
