// make-demo-disc: writes a CUE/BIN audio CD image of about two minutes of generated music
// (chord progressions, a melody and a bass line, each note with an attack/decay/release
// envelope) so that the rip can be tried without a drive. Usage: make-demo-disc OUT.cue
// The BIN is written beside it with the same name and ".bin". The sheet carries the disc's and
// the tracks' CD-Text (PERFORMER and TITLE lines), which names the tracks of a rip.
#include "tools/CueSheet.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int Rate = 44100;
constexpr int SamplesPerSector = 588; // 2352 bytes of 16-bit stereo
constexpr double Pi = 3.14159265358979323846;

struct TrackPlan {
    const char* Title;
    int Seconds;
    int KeyMidi;        // tonic
    double Tempo;       // beats per minute
    int Progression[4]; // scale degrees of the chords, one per bar
    bool Minor;
};

const TrackPlan Plans[] = {
    {"Morning Light", 22, 60, 96, {0, 4, 5, 3}, false},
    {"Harbour Walk", 26, 57, 84, {0, 5, 3, 4}, true},
    {"Paper Kites", 20, 62, 120, {0, 3, 4, 0}, false},
    {"Slow River", 28, 55, 72, {0, 5, 1, 4}, true},
    {"Homeward", 24, 64, 104, {0, 4, 3, 4}, false},
};

// A small deterministic generator so every build writes the same disc.
struct Lcg {
    uint32_t State;
    uint32_t next() {
        State = State * 1664525u + 1013904223u;
        return State >> 8;
    }
};

double midiFreq(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

int scaleNote(int key, bool minor, int degree) {
    static const int major[] = {0, 2, 4, 5, 7, 9, 11};
    static const int natMinor[] = {0, 2, 3, 5, 7, 8, 10};
    const int octave = degree >= 0 ? degree / 7 : (degree - 6) / 7;
    const int d = degree - octave * 7;
    return key + 12 * octave + (minor ? natMinor[d] : major[d]);
}

// Attack, decay to a sustain level, release over the last part of the note.
double envelope(double t, double length) {
    const double attack = 0.015, decay = 0.12, sustain = 0.6, release = 0.08;
    double a;
    if (t < attack)
        a = t / attack;
    else if (t < attack + decay)
        a = 1.0 - (1.0 - sustain) * (t - attack) / decay;
    else
        a = sustain;
    if (t > length - release)
        a *= std::max(0.0, (length - t) / release);
    return t < 0 || t > length ? 0.0 : a;
}

// A soft tone: the fundamental with a few weaker harmonics.
double tone(double freq, double t) {
    const double w = 2 * Pi * freq * t;
    return std::sin(w) + 0.35 * std::sin(2 * w) + 0.15 * std::sin(3 * w) + 0.05 * std::sin(5 * w);
}

struct Note {
    double Start, Length, Freq, Gain, Pan; // seconds, seconds, Hz, linear, 0 left .. 1 right
};

std::vector<int16_t> renderTrack(const TrackPlan& plan, int sectors, uint32_t seed) {
    const size_t frames = size_t(sectors) * SamplesPerSector;
    const double seconds = double(frames) / Rate;
    const double beat = 60.0 / plan.Tempo;
    const double bar = 4 * beat;
    std::vector<Note> notes;
    Lcg rng{seed};
    int melodyDegree = 7;
    for (int b = 0; b * bar < seconds; ++b) {
        const int root = plan.Progression[b % 4];
        const double t0 = b * bar;
        // The chord: a triad on the bar, held for the whole bar.
        for (int k = 0; k < 3; ++k)
            notes.push_back({t0, bar * 0.95,
                             midiFreq(scaleNote(plan.KeyMidi - 12, plan.Minor, root + 2 * k)), 0.10,
                             0.3 + 0.2 * k});
        // The bass: root on beats 1 and 3.
        for (int k = 0; k < 2; ++k)
            notes.push_back({t0 + 2 * k * beat, beat * 1.8,
                             midiFreq(scaleNote(plan.KeyMidi - 24, plan.Minor, root)), 0.16, 0.5});
        // The melody: a walk over the scale, mostly steps, in eighths and quarters.
        double t = t0;
        while (t < t0 + bar - 1e-9) {
            const double len = (rng.next() % 3 == 0) ? beat : beat / 2;
            const int step = int(rng.next() % 5) - 2;
            melodyDegree = std::min(std::max(melodyDegree + step, root + 2), root + 11);
            if (rng.next() % 8 != 0) // a rest now and then
                notes.push_back({t, len * 0.9,
                                 midiFreq(scaleNote(plan.KeyMidi, plan.Minor, melodyDegree)), 0.14,
                                 0.65});
            t += len;
        }
    }
    std::vector<double> left(frames), right(frames);
    for (const Note& n : notes) {
        const size_t first = size_t(n.Start * Rate);
        const size_t last = std::min(frames, size_t((n.Start + n.Length) * Rate) + 1);
        const double gl = n.Gain * std::sqrt(1 - n.Pan), gr = n.Gain * std::sqrt(n.Pan);
        for (size_t i = first; i < last; ++i) {
            const double t = double(i) / Rate - n.Start;
            const double v = envelope(t, n.Length) * tone(n.Freq, t);
            left[i] += gl * v;
            right[i] += gr * v;
        }
    }
    std::vector<int16_t> pcm(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        // Fade in and out over 1 s at the track's ends.
        const double t = double(i) / Rate;
        const double fade = std::min({1.0, t, seconds - t});
        auto clamp = [](double v) {
            return int16_t(std::lround(std::max(-1.0, std::min(1.0, v)) * 30000));
        };
        pcm[2 * i] = clamp(left[i] * fade);
        pcm[2 * i + 1] = clamp(right[i] * fade);
    }
    return pcm;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-demo-disc OUT.cue\n");
        return 2;
    }
    const QString cuePath = QString::fromLocal8Bit(argv[1]);
    const QByteArray binPath = QFile::encodeName(TCueSheet::BinPathFor(cuePath));

    FILE* bin = std::fopen(binPath.constData(), "wb");
    if (!bin) {
        std::perror(binPath.constData());
        return 1;
    }
    TCueSheet sheet;
    sheet.Performer = QStringLiteral("Sondrel");
    sheet.Title = QStringLiteral("Demo Disc");
    long offset = 0;
    int number = 1;
    for (const TrackPlan& plan : Plans) {
        const int sectors = plan.Seconds * 75;
        const std::vector<int16_t> pcm = renderTrack(plan, sectors, 12345u + 977u * number);
        std::vector<unsigned char> bytes(pcm.size() * 2);
        for (size_t i = 0; i < pcm.size(); ++i) { // little-endian samples, as on an audio CD
            bytes[2 * i] = uint16_t(pcm[i]) & 0xFF;
            bytes[2 * i + 1] = uint16_t(pcm[i]) >> 8;
        }
        if (std::fwrite(bytes.data(), 1, bytes.size(), bin) != bytes.size()) {
            std::perror(binPath.constData());
            std::fclose(bin);
            return 1;
        }
        sheet.AddTrack(offset, QString::fromLatin1(plan.Title));
        offset += sectors;
        ++number;
    }
    if (std::fclose(bin) != 0) {
        std::perror(binPath.constData());
        return 1;
    }
    QString error;
    if (!sheet.Write(cuePath, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
