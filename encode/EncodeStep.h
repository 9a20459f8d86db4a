// Encodes one file into one output format and finishes it: configures the format's output from
// the settings and the file's texts (written by the output itself in Ogg, FLAC, Opus, WMA and
// .m4a files), runs it, tags an MP3 (ID3v2.3 ahead of the audio, ID3v1 after it) or an APE file
// (APEv2) once it is written, removes what a failed run wrote, and reports the outcome. The rip job
// runs one step per track, each lane of the converter one per file.
//
// GUI (main) thread only. The output's done and progress events arrive through the framework's
// dispatcher, so the event loop must run; the outcome is reported as an event of its own, never
// from inside the dispatcher's delivery.
#pragma once

#include "audio/CoverArt.h"
#include "audio/DiscFields.h"
#include "audio/ReplayGain.h"
#include "encode/OutputFormats.h"
#include "settings/TAppOptions.h"

#include <QObject>
#include <QString>
#include <array>
#include <memory>

class TAuFileOut;
class TAuInput;
class TAuOutput;
class TLoudnessMeter;
class TLoudnessTap;

// What one file is encoded from and into, and which texts it carries.
struct TEncodeRequest {
    // Where the MP3's, APE file's and .m4a file's tags and the WMA's attributes come from. The
    // Ogg, FLAC and Opus comments always come from Disc, Title, Track and TrackTotal, and for
    // DiscTexts also from Artist and Compilation.
    enum TextSource {
        NoTexts,    // MP3, APE and .m4a stay untagged, the WMA gets no attributes (a WAV converted)
        DiscTexts,  // Disc, Title, Artist, Compilation and Track (a ripped track)
        InputTexts, // the input's own tags (an MP3 or WMA converted; the input is a TWMIn)
    };

    TAuInput* Input = nullptr; // pointed at its file already
    int Format = 0;            // output format index (not WAV: the input would be its output)
    QString Path;              // the file to write
    // The user agreed to replace what has the name Path. Otherwise the file never replaces
    // anything: when another job took the name meanwhile, it takes "<base> (2)<ext>" or the
    // next free one.
    bool MayReplace = false;
    TDiscFields Disc;
    QString Title; // the file's own title
    // The track's own performer, tagged as its artist; empty: the disc artist. The album artist
    // tag always takes Disc.EffectiveAlbumArtist(), the disc number tags Disc.DiscNumber and
    // Disc.DiscTotal (TPE2 and TPOS in MP3, ALBUMARTIST, DISCNUMBER and DISCTOTAL in Ogg, FLAC
    // and Opus, "Album Artist" and "Disc" in APE, WM/AlbumArtist and WM/PartOfSet in WMA, aART
    // and disk in .m4a). These go with DiscTexts only.
    QString Artist;
    // The tracks of the disc have performers of their own: the file is marked as part of a
    // compilation (TCMP, COMPILATION=1, APE "Compilation", WM/IsCompilation, cpil).
    bool Compilation = false;
    int Track = 0;      // its track number, 0 for none
    int TrackTotal = 0; // the disc's number of tracks, 0 when unknown
    TextSource Texts = DiscTexts;
    // The front cover embedded in FLAC, Ogg, Opus, MP3, APE and .m4a files (WMA files go
    // without); empty for none.
    TCoverArt Cover;
    // ReplayGain values tagged into the file once it is written, before it takes its name;
    // empty for none.
    TReplayGain Gain;
    // The track gain and peak are still being measured: a written file waits for SetTrackGain
    // before it is tagged and takes its name (a failed run ends at once).
    bool TrackGainLater = false;
    // The loudness of what is encoded is measured on the way, and the file gets its track
    // gain and peak from it (a conversion, which has not measured its input before).
    bool MeasureGain = false;
};

class TEncodeStep : public QObject {
    Q_OBJECT
public:
    // `options` gives the encoders' settings for every file this step encodes.
    explicit TEncodeStep(const TAppOptions& options, QObject* parent = nullptr);
    // Stops a running output and waits for it.
    ~TEncodeStep() override;

    // The output of `format`, made on first use and kept; raises EAuException when the format's
    // codec library cannot be loaded or the index is no format.
    TAuFileOut* OutputOf(int format);
    // The wait before an output's done event (see TAuOutput::SetDoneDelay), for every output.
    void SetDoneDelay(int ms);

    // Starts encoding into PartialPath(), created for this run alone and locked while written;
    // once the run and the tag are done the file takes the name request.Path (see MayReplace),
    // and the partial files stopped runs left of that name go. A failure to start is reported
    // like a failed run, through finished.
    void Start(const TEncodeRequest& request);
    // Stops the running output and waits for it; finished is not emitted for that file, and
    // what was written stays under PartialPath() (a file still empty goes).
    void Stop();
    // For a request with TrackGainLater: the track gain and peak of the file being encoded.
    // A file written meanwhile is tagged now and takes its name (finished follows).
    void SetTrackGain(const TReplayGain& gain);
    // The name the running (or stopped) file is written under: "<base>.partial<ext>" beside
    // its final name. A stopped file stays there.
    const QString& PartialPath() const { return m_partial; }
    // With MeasureGain: the loudness of the file finished last (null when it was not measured).
    std::shared_ptr<const TLoudnessMeter> LastLoudness() const { return m_lastLoudness; }
    // While finished is emitted for a written file: why its input was not whole (see
    // TAuInput::DamageText), the file then holding what could be read; else empty.
    const QString& Damage() const { return m_damage; }
    // While finished is emitted for a failed file: the system's error number of the failure
    // where the output gave one (a create or write refused), else why its folder refuses
    // further files (read-only, no permission, full; see FolderWriteFailure), else 0.
    int SystemError() const { return m_systemError; }

    // Tags the MP3 request.Path with the texts of `request` (as TextSource says): an ID3v2.3
    // tag of the full texts ahead of the audio (in place of one there), then the ID3v1 tag. A
    // missing file or one that cannot be written is left as it is.
    static void TagMp3(const TEncodeRequest& request);
    // Writes the APEv2 tag of `request` at the end of the APE file request.Path, likewise.
    static void TagApe(const TEncodeRequest& request);

signals:
    // 0..100 percent of the file read.
    void progress(int percent);
    // The file is finished: `failure` is empty when it was written (and tagged) and has its
    // final name `path` (request.Path, or a numbered name when another job took that
    // meanwhile), else it says why, and what the run wrote is gone.
    void finished(const QString& path, const QString& failure);

protected:
    bool event(QEvent* e) override;

private:
    void outputDone(TAuOutput* sender);
    void complete(QString failure);
    // `systemError`: the system's error number of the failure where known, else 0.
    void postOutcome(const QString& failure, int systemError = 0);
    void releasePartial();

    const TAppOptions m_options;
    std::array<TAuFileOut*, OutputFormatCount> m_outputs{}; // by format index
    int m_doneDelay = 300;
    TEncodeRequest m_request;
    TAuFileOut* m_output = nullptr; // the output of the file being encoded
    QString m_partial;              // the name it is written under until complete
    int m_partialFd = -1;           // holds the partial file's lock while it is written
    QString m_damage;               // of the file just finished
    int m_systemError = 0;          // of the file just failed
    bool m_active = false;          // a file is being encoded (started, not yet reported)
    bool m_waitsForGain = false;    // the file is written; SetTrackGain completes it
    TLoudnessTap* m_tap = nullptr;  // between input and output when measuring, made on first use
    std::shared_ptr<const TLoudnessMeter> m_lastLoudness;
};
