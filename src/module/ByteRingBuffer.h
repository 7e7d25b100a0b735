#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace OV {

// A fixed-capacity byte queue for building and parsing small binary values (the screen cube's
// Wi-Fi property, the firmware file header). It never grows and never overwrites a byte that
// was not read: a write that does not fit is dropped whole, and a read of more bytes than held
// throws std::logic_error before taking any.
class ByteRingBuffer
{
public:
    explicit ByteRingBuffer(int capacity);

    int capacity() const { return m_capacity; }
    int count() const { return m_count; }

    void writeByte(uint8_t b);
    void writeBytes(const std::string& bytes);
    void writeBytes(const uint8_t* data, int n);

    // Throws std::logic_error "buffer existing space (<count>) is less than required (<n>)".
    void checkReadable(int n) const;
    uint8_t readByte();
    std::string readBytes(int n);
    // Big-endian: the first byte is the most significant.
    uint32_t readUInt32();

private:
    std::vector<uint8_t> m_storage;
    int m_readPos = 0;
    int m_writePos = 0;
    int m_count = 0;
    int m_capacity = 0;
};

} // namespace OV
