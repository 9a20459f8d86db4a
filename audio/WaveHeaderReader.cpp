#include "WaveHeaderReader.h"

#include <algorithm>
#include <cstring>

namespace {

uint16_t le16(const unsigned char* p) {
    return uint16_t(p[0] | (p[1] << 8));
}

uint32_t le32(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Reads and counts what the header reader consumes.
class TSource {
public:
    explicit TSource(QIODevice& s) : m_s(s), m_seekable(!s.isSequential()) {}

    bool Read(char* to, int64_t n) {
        int64_t got = 0;
        while (got < n) {
            const qint64 r = m_s.read(to + got, n - got);
            if (r <= 0) {
                if (r == 0 && !m_seekable && m_s.waitForReadyRead(-1))
                    continue;
                return false;
            }
            got += r;
        }
        Consumed += n;
        return true;
    }

    // Skips `n` bytes; false when the stream ends first.
    bool Skip(int64_t n) {
        if (n <= 0)
            return true;
        if (m_seekable) {
            const qint64 target = m_s.pos() + n;
            if (target > m_s.size())
                return false;
            if (!m_s.seek(target))
                return false;
            Consumed += n;
            return true;
        }
        char scratch[4096];
        while (n > 0) {
            const int64_t step = std::min<int64_t>(n, sizeof scratch);
            if (!Read(scratch, step))
                return false;
            n -= step;
        }
        return true;
    }

    bool AtEnd() const { return m_seekable && m_s.pos() >= m_s.size(); }

    int64_t Consumed = 0;

private:
    QIODevice& m_s;
    bool m_seekable;
};

// Slides a 4-byte window one byte at a time until it matches `id`.
bool scanFor(TSource& src, char* window, const char* id) {
    while (!TWaveHeaderReader::IdMatches(window, id)) {
        if (src.Consumed >= TWaveHeaderReader::ScanLimit || src.AtEnd())
            return false;
        std::memmove(window, window + 1, 3);
        if (!src.Read(window + 3, 1))
            return false;
    }
    return true;
}

// Takes the format fields from the content of "fmt " (`n` bytes kept in `c`).
bool parseFormat(const unsigned char* c, int n, TWaveHeader& h) {
    if (n < 16)
        return false;
    h.FormatTag = le16(c);
    h.Channels = le16(c + 2);
    h.SampleRate = le32(c + 4);
    h.BlockAlign = le16(c + 12);
    h.BitsPerSample = le16(c + 14);
    // Extensible format: the real tag is the first two bytes of the sub-format GUID.
    if (h.FormatTag == 0xFFFE) {
        if (n < 26)
            return false;
        h.FormatTag = le16(c + 24);
        if (h.FormatTag != 1)
            return false;
    }
    switch (h.FormatTag) {
    case 1:
        h.Type = wtPCM;
        return true;
    case 2:
        h.Type = wtMSADPCM;
        break;
    case 17:
        h.Type = wtDVIADPCM;
        break;
    case 85:
        h.Type = wtACM;
        break;
    default:
        return false;
    }
    if (n >= 20)
        h.SamplesPerBlock = le16(c + 18);
    else if (h.Type != wtACM)
        return false;
    if (h.Type == wtMSADPCM) {
        if (n < 22)
            return false;
        h.NumCoef = le16(c + 20);
        if (h.NumCoef == 0 || h.NumCoef > TWaveHeaderReader::MaxCoef || 22 + 4 * int(h.NumCoef) > n)
            return false;
        for (int i = 0; i < h.NumCoef; ++i) {
            h.Coef[i][0] = int16_t(le16(c + 22 + 4 * i));
            h.Coef[i][1] = int16_t(le16(c + 24 + 4 * i));
        }
    }
    return true;
}

} // namespace

bool TWaveHeaderReader::IdMatches(const char* bytes, const char* id) {
    for (int i = 0; i < 4; ++i) {
        const int d =
            int(static_cast<unsigned char>(bytes[i])) - int(static_cast<unsigned char>(id[i]));
        if (d != 0 && d != 32 && d != -32)
            return false;
    }
    return true;
}

TWaveHeader TWaveHeaderReader::Read(QIODevice& stream) {
    TWaveHeader h;
    TSource src(stream);
    char window[4];
    if (!src.Read(window, 4) || !scanFor(src, window, "RIFF"))
        return TWaveHeader();
    char size[4];
    if (!src.Read(size, 4) || !src.Read(window, 4) || !scanFor(src, window, "WAVE"))
        return TWaveHeader();
    char id[4];
    if (!src.Read(id, 4))
        return TWaveHeader();

    enum { ExpectFmt, ExpectFact, ExpectData } state = ExpectFmt;
    unsigned char work[WorkBufferSize];
    for (;;) {
        unsigned char sz[4];
        if (!src.Read(reinterpret_cast<char*>(sz), 4))
            return TWaveHeader();
        const uint32_t chunkSize = le32(sz);
        if (state == ExpectData && IdMatches(id, "data")) {
            h.DataChunkSize = chunkSize;
            h.HeaderLength = src.Consumed;
            return h;
        }
        int64_t toSkip = int64_t(chunkSize) + (chunkSize & 1); // RIFF pads odd chunks
        if ((state == ExpectFmt && IdMatches(id, "fmt ")) ||
            (state == ExpectFact && IdMatches(id, "fact"))) {
            // Keep what fits in the working buffer, skip the rest.
            const int keep = int(std::min<int64_t>(chunkSize, WorkBufferSize));
            if (!src.Read(reinterpret_cast<char*>(work), keep))
                return TWaveHeader();
            toSkip -= keep;
            if (state == ExpectFmt) {
                if (!parseFormat(work, keep, h))
                    return TWaveHeader();
                state = h.Type == wtPCM ? ExpectData : ExpectFact;
            } else {
                if (keep < 4)
                    return TWaveHeader();
                h.HasFact = true;
                h.FactSamples = le32(work);
                state = ExpectData;
            }
        }
        // The pad byte of the last chunk may be missing at the very end of a file.
        if (!src.Skip(toSkip) || src.AtEnd())
            return TWaveHeader();
        if (!src.Read(id, 4))
            return TWaveHeader();
    }
}
