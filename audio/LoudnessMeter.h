// Measures the loudness of interleaved 16-bit audio as ITU-R BS.1770 defines it (through
// libebur128): the integrated loudness and the sample peak of everything added, and the
// loudness of several meters' audio taken as one (an album). One meter per track; it is fed on
// one thread at a time (the rip worker's or the encoder's) and read once feeding has ended.
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
    struct TState; // libebur128's state, whose type cannot be declared ahead
    std::unique_ptr<TState> m_state;
    unsigned m_channels;
    std::vector<int16_t> m_samples; // AddPcm16's samples in host order
    double m_peak = 0.0;            // the sample peak so far, 1.0 being full scale
};
