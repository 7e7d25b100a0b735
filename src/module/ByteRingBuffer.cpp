#include "module/ByteRingBuffer.h"

#include <stdexcept>

namespace OV {

ByteRingBuffer::ByteRingBuffer(int capacity) : m_capacity(capacity > 0 ? capacity : 0)
{
    m_storage.assign(size_t(m_capacity), 0);
}

void ByteRingBuffer::writeByte(uint8_t b)
{
    if (m_capacity - m_count < 1)
        return;
    m_storage[size_t(m_writePos)] = b;
    m_writePos = (m_writePos + 1) % m_capacity;
    ++m_count;
}

void ByteRingBuffer::writeBytes(const std::string& bytes)
{
    writeBytes(reinterpret_cast<const uint8_t*>(bytes.data()), int(bytes.size()));
}

void ByteRingBuffer::writeBytes(const uint8_t* data, int n)
{
    if (n < 0 || m_capacity - m_count < n)
        return;
    for (int i = 0; i < n; ++i)
        writeByte(data[i]);
}

void ByteRingBuffer::checkReadable(int n) const
{
    if (m_count < n)
        throw std::logic_error("buffer existing space (" + std::to_string(m_count) + ") is less than required (" +
                               std::to_string(n) + ")");
}

uint8_t ByteRingBuffer::readByte()
{
    checkReadable(1);
    const uint8_t b = m_storage[size_t(m_readPos)];
    m_readPos = (m_readPos + 1) % m_capacity;
    --m_count;
    return b;
}

std::string ByteRingBuffer::readBytes(int n)
{
    checkReadable(n);
    std::string out;
    out.reserve(size_t(n > 0 ? n : 0));
    for (int i = 0; i < n; ++i)
        out.push_back(char(readByte()));
    return out;
}

uint32_t ByteRingBuffer::readUInt32()
{
    checkReadable(4);
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | readByte();
    return value;
}

} // namespace OV
