// Checksums and disc ids for the tests computed the plain way, straight from the published
// definitions (CRC32 bit by bit, the AccurateRip sums pair by pair, the freedb id and the
// AccurateRip file name of a table), so they check the product's own code; and the database's
// binary answer built from them.
#pragma once

#include <QByteArray>
#include <QString>
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

// The freedb disc id: the sum of the decimal digits of every track's start in whole seconds
// (the 2-second lead-in counted), modulo 255, in the top byte; the whole seconds from the first
// track's start to the lead-out in the next 16 bits; the number of tracks in the low byte.
// Every track of the table counts, data tracks too. Frames count the lead-in.
inline uint32_t OracleCddbId(const std::vector<int>& startFrames, int leadOutFrame) {
    uint32_t digits = 0;
    for (const int frames : startFrames)
        for (int seconds = frames / 75; seconds > 0; seconds /= 10)
            digits += uint32_t(seconds % 10);
    const uint32_t seconds = uint32_t(leadOutFrame / 75 - startFrames.front() / 75);
    return (digits % 255) << 24 | seconds << 8 | uint32_t(startFrames.size());
}

// The AccurateRip file name: dBAR-NNN-id1-id2-cddb.bin, NNN the number of audio tracks; id1
// the sum of the audio tracks' addresses and the lead-out's, id2 the sum of each audio track's
// address (1 for address 0) times its track number and the lead-out's times the audio track
// count plus one; addresses in sectors without the 2-second lead-in; the lead-out is the
// disc's, behind any data session; the last part the freedb id of the whole disc.
inline QString OracleArName(const std::vector<int>& audioAddresses, int leadOutAddress,
                            uint32_t cddbId) {
    uint32_t id1 = 0, id2 = 0;
    for (size_t i = 0; i < audioAddresses.size(); ++i) {
        const uint32_t a = uint32_t(audioAddresses[i]);
        id1 += a;
        id2 += (a == 0 ? 1 : a) * uint32_t(i + 1);
    }
    id1 += uint32_t(leadOutAddress);
    id2 += uint32_t(leadOutAddress) * uint32_t(audioAddresses.size() + 1);
    auto hex = [](uint32_t v) { return QStringLiteral("%1").arg(v, 8, 16, QLatin1Char('0')); };
    return QStringLiteral("dBAR-%1-%2-%3-%4.bin")
        .arg(audioAddresses.size(), 3, 10, QLatin1Char('0'))
        .arg(hex(id1), hex(id2), hex(cddbId));
}
