// MD5 message digest (RFC 1321), fed in pieces; used for the APE descriptor's checksum.
// One thread at a time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

class TMd5 {
public:
    TMd5() { reset(); }
    void reset();
    void update(const void* data, size_t bytes);
    // The 16 digest bytes; the object must be reset before further use.
    std::array<uint8_t, 16> finish();

private:
    void block(const uint8_t* p);

    uint32_t m_state[4];
    uint64_t m_bytes;
    uint8_t m_buffer[64];
};
