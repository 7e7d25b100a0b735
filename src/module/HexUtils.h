#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace OV {

// Two upper-case hexadecimal digits per byte of data[offset .. offset + count).
std::string hexEncode(const uint8_t* data, size_t offset, size_t count);

// count bytes from the digit pairs starting at pair offset; either case is read. Any other
// character throws std::invalid_argument "hex std::string format is error!". The caller passes
// a count that the text holds.
std::string hexDecode(const char* hex, size_t offset, size_t count);

} // namespace OV
