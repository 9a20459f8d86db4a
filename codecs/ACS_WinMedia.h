// The Windows Media components: TWMAOut writes WMA files, TWMIn decodes any file FFmpeg opens
// (WMA, MP3, ...) to 16-bit PCM. Both carry the file's texts in their ID3v2 tag object under
// the Windows Media attribute names ("Author", "WM/AlbumTitle", "Title", ...). They stand on
// TFfmpegWriter and TFfmpegReader in place of the platform's media runtime.
#pragma once

#include "audio/ACS_Classes.h"
#include "codecs/FfmpegReader.h"
#include "codecs/FfmpegWriter.h"
#include "codecs/WmaFormat.h"

#include <QStringList>
#include <cstdint>
#include <vector>

// Audio output writing a WMA file; the texts of its ID3v2 object (SetId3v2Tags copies into
// it) become the file's attributes. Properties are set on the GUI thread while the output is
// idle; the worker thread reads them during a run (Start orders the two). Codecs and Formats
// are GUI-thread calls.
class TWMAOut : public TAuTaggedFileOut {
public:
    explicit TWMAOut(QObject* owner = nullptr);
    ~TWMAOut() override;

    // Names of the WMA codecs, filled at construction.
    const QStringList& Codecs() const { return m_codecs; }
    // Refills the format list with the descriptions of one codec's formats and returns it:
    // the constant-bitrate formats, or with VBR or Lossless set the variable-bitrate ones,
    // which no codec here has, so that list stays empty. Empty for an index out of range.
    const QStringList& Formats(int codecIndex);

    // The codec and format the user chose (indexes into Codecs and Formats); a codec index of
    // -1 (the default) lets PrepareOutput choose from DesiredBitrate or VBRQuality.
    int CodecIndex() const { return m_codecIndex; }
    void SetCodecIndex(int index) { m_codecIndex = index; }
    int FormatIndex() const { return m_formatIndex; }
    void SetFormatIndex(int index) { m_formatIndex = index; }

    // Wanted bitrate of the automatic choice, bit/s; values below 1000 count as kbit/s.
    uint32_t DesiredBitrate() const { return m_desiredBitrate; }
    void SetDesiredBitrate(uint32_t bitrate) { m_desiredBitrate = bitrate; }
    bool Lossless() const { return m_lossless; }
    void SetLossless(bool on) { m_lossless = on; }
    bool VBR() const { return m_vbr; }
    void SetVBR(bool on) { m_vbr = on; }
    uint8_t VBRQuality() const { return m_vbrQuality; }
    void SetVBRQuality(uint8_t quality) { m_vbrQuality = quality; }

    // What the last run wrote: codec index and format (for the converter's report and tests).
    int ChosenCodec() const { return m_chosenCodec; }
    const TWmaFormat& ChosenFormat() const { return m_chosenFormat; }
    // Bytes of PCM pulled from the input per block in the last run.
    int BufferSize() const { return m_blockSize; }
    // End of the last block written, in 100-nanosecond units.
    int64_t SampleTime() const { return m_sampleTime; }

protected:
    void PrepareOutput() override;
    bool WriteBlock(bool abort) override;
    void FinishOutput() override;
    void ReleaseAfterFailure() override;

private:
    // The format of the automatic choice: the closest bitrate (or VBR quality) among the
    // formats whose channels and bits match the input, the closest sample rate among equals.
    bool ChooseFormat(int channels, int bits, int rate, int& codec, TWmaFormat& format) const;
    void WriteAttributes();

    QStringList m_codecs;
    QStringList m_formats;
    int m_codecIndex = -1;
    int m_formatIndex = 0;
    uint32_t m_desiredBitrate = 0;
    bool m_lossless = false;
    bool m_vbr = false;
    uint8_t m_vbrQuality = 0;

    // Worker thread during a run.
    TFfmpegWriter m_writer;
    bool m_endOfInput = false;
    std::vector<char> m_buffer;
    int m_blockSize = 0;
    int64_t m_sampleTime = 0;
    int m_chosenCodec = -1;
    TWmaFormat m_chosenFormat;
};

// File input decoding what FFmpeg opens to interleaved 16-bit PCM at the file's own rate and
// channels; the file's texts go into the ID3v2 tag object when it is opened. OpenFile and
// CloseFile run under the open lock, reads and seeks under the data lock.
class TWMIn : public TAuTaggedFileIn {
public:
    explicit TWMIn(QObject* owner = nullptr);
    ~TWMIn() override;

    void OpenFile() override;
    void CloseFile() override;
    void ReadBlock(char*& buffer, int& bytes) override;
    bool SeekSample(int64_t& sample) override;

    // The file's texts: opens the file first.
    TId3v2Tags* Id3v2Tags();
    // Length in hundredths of a second; 0 when unknown.
    int Duration() const { return m_duration; }

private:
    TFfmpegReader m_reader;
    int m_duration = 0;
};
