// The .m4a output: encodes PCM from its input with FFmpeg's own AAC-LC encoder (at a bit rate)
// or its Apple Lossless encoder into an MP4 file, through the same FFmpeg writer as the WMA
// output. The texts of its ID3v2 tag object (SetId3v2Tags copies into it) and the cover become
// the file's iTunes-style tags, as taggers and players read them.
//
// Threads: properties are set on the GUI thread while the output is idle; PrepareOutput,
// WriteBlock and FinishOutput run on the output's worker thread.
#pragma once

#include "audio/ACS_Classes.h"
#include "audio/CoverArt.h"
#include "codecs/FfmpegWriter.h"

#include <vector>

enum class TM4ACodec { Aac, Alac };

class TM4AOut : public TAuTaggedFileOut {
public:
    explicit TM4AOut(TM4ACodec codec, QObject* owner = nullptr);
    ~TM4AOut() override;

    TM4ACodec Codec() const { return m_codec; }
    // The AAC bit rate, kbit/s of the whole stream; values outside 32..320 are brought to the
    // nearest end. ALAC has none.
    int Bitrate() const { return m_bitrate; }
    void SetBitrate(int kbps);
    // The front cover of the next file; empty for none. Cleared after each run, as are the
    // texts, since both belong to one file.
    void SetPicture(const TCoverArt& picture) { m_picture = picture; }

protected:
    void PrepareOutput() override;
    bool WriteBlock(bool abort) override;
    void FinishOutput() override;
    void ReleaseAfterFailure() override;

private:
    void WriteTags();

    const TM4ACodec m_codec;
    int m_bitrate = 192;
    TCoverArt m_picture;

    // Worker thread during a run.
    TFfmpegWriter m_writer;
    bool m_endOfInput = false;
    std::vector<char> m_buffer;
};
