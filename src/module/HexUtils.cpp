#include "module/HexUtils.h"

#include <stdexcept>

namespace OV {

namespace {

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    throw std::invalid_argument("hex std::string format is error!");
}

} // namespace

std::string hexEncode(const uint8_t* data, size_t offset, size_t count)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = data[offset + i];
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0x0F]);
    }
    return out;
}

std::string hexDecode(const char* hex, size_t offset, size_t count)
{
    std::string out;
    out.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t at = 2 * (offset + i);
        out.push_back(char((digitValue(hex[at]) << 4) | digitValue(hex[at + 1])));
    }
    return out;
}

} // namespace OV
