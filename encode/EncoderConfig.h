// Copies the user's settings onto an encoder output before it runs, and for the Ogg Vorbis,
// FLAC and Opus outputs fills the comments from the texts of the file's encode request.
// The rip job calls these for every track and the converter for every file, after setting
// the output's file name and before Start. GUI (main) thread, while the output is idle.
#pragma once

#include "settings/TAppOptions.h"

class TMP3Out;
class TVorbisOut;
class TFLACOut;
class TMACOut;
class TWMAOut;
class TOpusOut;
class TM4AOut;
class TVorbisTags;
class TAuFileOut;
class QObject;
struct TEncodeRequest;

// Worker pause, bit rate, VBR, channel mode and VBR limits from the MP3 settings. Values
// outside the lists the options dialog offers leave the property as it was.
void ConfigureMp3Out(TMP3Out& out, const TAppOptions& options);

// Quality or managed bit rates from the Ogg settings, then the comments of `request` (see
// FillVorbisTags).
void ConfigureVorbisOut(TVorbisOut& out, const TEncodeRequest& request, const TAppOptions& options);

// Compression level from the FLAC settings, then the comments as for Ogg Vorbis.
void ConfigureFlacOut(TFLACOut& out, const TEncodeRequest& request, const TAppOptions& options);

// Worker pause = 16 - 5 * ApeCpu milliseconds and the compression level from the APE settings
// (the output turns a level it does not know into 2000).
void ConfigureMacOut(TMACOut& out, const TAppOptions& options);

// VBR = WmaVBR; the codec index = CodecIndex and the format index = FormatIndex (indexes into
// the output's codec list and the chosen codec's format list). Nothing else is set.
void ConfigureWmaOut(TWMAOut& out, const TAppOptions& options);

// Bit rate and complexity from the Opus settings (each brought into its range), then the
// comments as for Ogg Vorbis.
void ConfigureOpusOut(TOpusOut& out, const TEncodeRequest& request, const TAppOptions& options);

// The bit rate from the AAC settings (brought into 32..320 kbit/s); ALAC has no settings.
void ConfigureAacOut(TM4AOut& out, const TAppOptions& options);

// A new output component for output format `format` (FormatMp3 .. FormatAlac), owned by `owner`;
// for WAV a PCM TWaveOut that rewrites its file. Raises EAuException when the format's codec
// library cannot be loaded or the index is not a format.
TAuFileOut* CreateFormatOutput(int format, QObject* owner);

// Runs the configuration routine of request.Format on `out` (an output CreateFormatOutput made
// for that format); WAV and ALAC have none.
void ConfigureFormatOutput(TAuFileOut& out, const TEncodeRequest& request,
                           const TAppOptions& options);

// Clears `tags` (the comments of an Ogg Vorbis, FLAC or Opus file), then sets each non-empty
// text of `request`: artist (the disc artist), album,
// date (the year), genre (the name at the disc's genre box position), title (the file's own:
// the track title when ripping, the output file's base name when converting), tracknumber
// (when Track > 0), tracktotal (when also TrackTotal > 0) and comment (the disc comment). A
// ripped track (DiscTexts) also takes its own artist in place of the disc artist when it has
// one, albumartist (Disc.EffectiveAlbumArtist()), discnumber (when Disc.DiscNumber > 0),
// disctotal (when also Disc.DiscTotal > 0) and compilation=1 (when Compilation); the converter's
// files (InputTexts, NoTexts) go without these.
void FillVorbisTags(TVorbisTags& tags, const TEncodeRequest& request);
