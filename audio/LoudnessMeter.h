// Measures the loudness of interleaved 16-bit audio as ITU-R BS.1770 defines it (libebur128
// filters, the gating is done here): the integrated loudness and the sample peak of everything
// added, and the loudness of several meters' audio taken as one (an album). One meter per
// track; it is fed on one thread at a time (the rip worker's, a meter thread or the encoder's)
// and read once feeding has ended.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class TLoudnessMeter {
public:
    // Raises std::runtime_error when libebur128 refuses the layout.
    explicit TLoudnessMeter(unsigned channels = 2, unsigned long sampleRate = 44100);
    ~TLoudnessMeter();
    TLoudnessMeter(const TLoudnessMeter&) = delete;
    TLoudnessMeter& operator=(const TLoudnessMeter&) = delete;

    // Adds `frames` frames of interleaved little-endian 16-bit samples (as a WAV holds them).
    void AddPcm16(const uint8_t* data, size_t frames);
    // Adds `frames` frames of interleaved float samples, 1.0 being full scale.
    void AddFloat(const float* data, size_t frames);

    // Integrated loudness in LUFS; -infinity for silence or no audio.
    double Loudness() const;
    // The largest sample magnitude of any channel, 1.0 being full scale.
    double Peak() const;

    // The integrated loudness of the audio of all `meters` taken as one programme, in LUFS.
    static double AlbumLoudness(const std::vector<const TLoudnessMeter*>& meters);

private:
    // Adds `frames` frames at `samples` through `add` (libebur128's call for T).
    template <class T, class Add> void feed(const T* samples, size_t frames, Add add);
    // A piece of 100 ms is complete: its energy, and a gating block once four are there.
    void endPiece();

    struct TState; // libebur128's state, whose type cannot be declared ahead
    std::unique_ptr<TState> m_state;
    unsigned m_channels;
    const size_t m_pieceFrames;     // frames in 100 ms, as libebur128 counts them
    const bool m_windowIsPiece;     // libebur128's 100 ms window is exactly such a piece
    size_t m_filled = 0;            // frames of the current piece added
    uint64_t m_pieces = 0;          // pieces complete
    double m_lastPieces[4] = {};    // energies of the last four pieces, by number modulo 4
    std::vector<double> m_blocks;   // energies of the gating blocks above the absolute gate
    std::vector<int16_t> m_samples; // AddPcm16's samples in host order
    double m_peak = 0.0;            // the sample peak so far, 1.0 being full scale
};
