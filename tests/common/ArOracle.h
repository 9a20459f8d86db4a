// Checksums for the tests computed the plain way, straight from the published definitions
// (CRC32 bit by bit, the AccurateRip sums pair by pair), so they check the product's own code;
// and the database's binary answer built from them.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <utility>
#include <vector>

struct TOracleSums {
    uint32_t Crc32 = 0, V1 = 0, V2 = 0;
};

// The sums of one track's bytes; the first track of a disc leaves out its first 5 × 588 − 1
// sample pairs, the last its final 5 × 588.
inline TOracleSums OracleSums(const QByteArray& track, bool first, bool last) {
    TOracleSums s;
    uint32_t crc = 0xFFFFFFFFu;
    for (const char c : track) {
        crc ^= uint8_t(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    s.Crc32 = ~crc;
    const auto* p = reinterpret_cast<const uint8_t*>(track.constData());
    const uint64_t pairs = uint64_t(track.size()) / 4;
    for (uint64_t n = 1; n <= pairs; ++n) {
        if (first && n < 5 * 588)
            continue;
        if (last && n > pairs - 5 * 588)
            continue;
        const uint8_t* q = p + 4 * (n - 1);
        const uint32_t left = uint32_t(q[0] | q[1] << 8);
        const uint32_t right = uint32_t(q[2] | q[3] << 8);
        const uint32_t value = (right << 16) | left;
        s.V1 += uint32_t(n) * value;
        const uint64_t wide = uint64_t(value) * n;
        s.V2 += uint32_t(wide & 0xFFFFFFFFu) + uint32_t(wide >> 32);
    }
    return s;
}

// One pressing of a dBAR answer: the header, then confidence and sum of each track (the sum
// of sector 450 set to 0).
inline QByteArray DbarPressing(uint32_t id1, uint32_t id2, uint32_t cddbId,
                               const std::vector<std::pair<int, uint32_t>>& tracks) {
    QByteArray b;
    auto le32 = [&b](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.append(char(v >> (8 * i)));
    };
    b.append(char(tracks.size()));
    le32(id1);
    le32(id2);
    le32(cddbId);
    for (const auto& [confidence, sum] : tracks) {
        b.append(char(confidence));
        le32(sum);
        le32(0);
    }
    return b;
}
