#include "codecs/ape/ApeFrameEncoder.h"

#include "codecs/ape/ApeRangeCoder.h"

#include <zlib.h>

namespace {

// Frame flags.
constexpr uint32_t kFlagMonoSilence = 1; // mono: every sample 0; stereo: with 2, all silent
constexpr uint32_t kFlagStereoSilence = 3;
constexpr uint32_t kFlagPseudoStereo = 4; // both channels identical: only X is coded
constexpr uint32_t kFlagsFollow = 0x80000000u;

struct TFilterShape {
    int order;
    int shift;
};

inline int32_t sample(const uint8_t* p) {
    return int16_t(uint16_t(p[0] | (p[1] << 8)));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

} // namespace

int TApeFrameEncoder::blocksPerFrame(int level) {
    switch (level) {
    case 1000:
    case 2000:
    case 3000:
        return 73728;
    case 4000:
        return 73728 * 4;
    case 5000:
        return 73728 * 16;
    default:
        return 0;
    }
}

TApeFrameEncoder::TApeFrameEncoder(int level, int channels) : m_channels(channels) {
    std::vector<TFilterShape> shapes;
    switch (level) {
    case 2000:
        shapes = {{16, 11}};
        break;
    case 3000:
        shapes = {{64, 11}};
        break;
    case 4000:
        shapes = {{256, 13}, {32, 10}};
        break;
    case 5000:
        shapes = {{1280, 15}, {256, 13}, {16, 11}};
        break;
    default:
        break;
    }
    for (TChannel* c : {&m_x, &m_y})
        for (const auto& s : shapes)
            c->filters.push_back(std::make_unique<TApeNNFilter>(s.order, s.shift));
}

void TApeFrameEncoder::TChannel::reset() {
    predictor.reset();
    for (auto& f : filters)
        f->reset();
    ksum = 16384;
}

void TApeFrameEncoder::encode(const uint8_t* pcm, int blocks, std::vector<uint8_t>& out) {
    const size_t bytes = size_t(blocks) * size_t(m_channels) * 2;
    const uint32_t crc = uint32_t(crc32(0L, pcm, uInt(bytes)));

    m_x.reset();
    m_y.reset();

    uint32_t flags = 0;
    if (m_channels == 1) {
        bool silent = true;
        for (int i = 0; i < blocks && silent; ++i)
            silent = sample(pcm + 2 * i) == 0;
        if (silent)
            flags = kFlagMonoSilence;
    } else {
        bool silent = true;
        bool identical = true;
        for (int i = 0; i < blocks && identical; ++i) {
            const int32_t l = sample(pcm + 4 * i);
            const int32_t r = sample(pcm + 4 * i + 2);
            identical = l == r;
            silent = silent && l == 0 && r == 0;
        }
        if (identical)
            flags = silent ? (kFlagStereoSilence | kFlagPseudoStereo) : kFlagPseudoStereo;
    }

    if (flags) {
        put32(out, (crc >> 1) | kFlagsFollow);
        put32(out, flags);
    } else {
        put32(out, crc >> 1);
    }

    const size_t start = out.size();
    out.resize(start + TApeRangeCoder::kMaxFrameOverhead +
               size_t(blocks) * size_t(m_channels) * TApeRangeCoder::kMaxBytesPerResidual);
    TApeRangeCoder coder(out.data() + start);
    if (m_channels == 1) {
        if (!(flags & kFlagMonoSilence)) {
            for (int i = 0; i < blocks; ++i)
                coder.encodeResidual(m_x.compress(sample(pcm + 2 * i), 0), m_x.ksum);
        }
    } else if ((flags & kFlagStereoSilence) == kFlagStereoSilence) {
        // nothing is coded
    } else if (flags & kFlagPseudoStereo) {
        for (int i = 0; i < blocks; ++i)
            coder.encodeResidual(m_x.compress(sample(pcm + 4 * i), 0), m_x.ksum);
    } else {
        int32_t lastX = 0;
        for (int i = 0; i < blocks; ++i) {
            const int32_t ch0 = sample(pcm + 4 * i);
            const int32_t ch1 = sample(pcm + 4 * i + 2);
            const int32_t y = ch1 - ch0;
            const int32_t x = ch0 + y / 2;
            const int32_t ry = m_y.compress(y, lastX);
            const int32_t rx = m_x.compress(x, y);
            coder.encodeResidual(ry, m_y.ksum);
            coder.encodeResidual(rx, m_x.ksum);
            lastX = x;
        }
    }
    out.resize(size_t(coder.finish() - out.data()));
}
