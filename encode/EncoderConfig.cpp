#include "EncoderConfig.h"

#include "audio/ACS_Tags.h"
#include "audio/ACS_Wave.h"
#include "audio/Genres.h"
#include "codecs/ACS_FLAC.h"
#include "codecs/ACS_LAME.h"
#include "codecs/ACS_M4A.h"
#include "codecs/ACS_MAC.h"
#include "codecs/ACS_Opus.h"
#include "codecs/ACS_Vorbis.h"
#include "codecs/ACS_WinMedia.h"
#include "encode/EncodeStep.h"
#include "encode/OutputFormats.h"

#include <QCoreApplication>

namespace {

// The MP3 constant bit rates the options dialog offers, by its list index.
constexpr TMP3BitRate ConstantBitRates[] = {
    TMP3BitRate::br48,  TMP3BitRate::br56,  TMP3BitRate::br64,
    TMP3BitRate::br80,  TMP3BitRate::br96,  TMP3BitRate::br128,
    TMP3BitRate::br192, TMP3BitRate::br256, TMP3BitRate::br320};

// The Ogg bit-rate choices of the options dialog's lists, by index.
constexpr TVorbisBitRate OggBitRates[] = {
    TVorbisBitRate::brAutoSelect, TVorbisBitRate::br45,  TVorbisBitRate::br48,
    TVorbisBitRate::br56,         TVorbisBitRate::br64,  TVorbisBitRate::br80,
    TVorbisBitRate::br96,         TVorbisBitRate::br112, TVorbisBitRate::br128,
    TVorbisBitRate::br144,        TVorbisBitRate::br160, TVorbisBitRate::br192,
    TVorbisBitRate::br224,        TVorbisBitRate::br256, TVorbisBitRate::br320};

template <class T, size_t N> bool Pick(const T (&table)[N], int index, T& out) {
    if (index < 0 || index >= int(N))
        return false;
    out = table[index];
    return true;
}

} // namespace

void FillVorbisTags(TVorbisTags& tags, const TEncodeRequest& r) {
    tags.Clear();
    const TDiscFields& disc = r.Disc;
    const bool ripped = r.Texts == TEncodeRequest::DiscTexts;
    const QString& artist = ripped && !r.Artist.isEmpty() ? r.Artist : disc.Artist;
    if (!artist.isEmpty())
        tags.SetArtist(artist);
    if (!disc.Album.isEmpty())
        tags.SetAlbum(disc.Album);
    if (!disc.Year.isEmpty())
        tags.SetDate(disc.Year);
    const QString genre = GenreBoxText(disc.Genre);
    if (!genre.isEmpty())
        tags.SetGenre(genre);
    if (!r.Title.isEmpty())
        tags.SetTitle(r.Title);
    if (r.Track > 0)
        tags.SetTrack(QString::number(r.Track));
    if (r.Track > 0 && r.TrackTotal > 0)
        tags.SetTrackTotal(QString::number(r.TrackTotal));
    if (!disc.Comment.isEmpty())
        tags.SetComment(disc.Comment);
    if (!ripped)
        return;
    if (!disc.EffectiveAlbumArtist().isEmpty())
        tags.SetAlbumArtist(disc.EffectiveAlbumArtist());
    if (disc.DiscNumber > 0)
        tags.SetDisc(QString::number(disc.DiscNumber));
    if (disc.DiscNumber > 0 && disc.DiscTotal > 0)
        tags.SetDiscTotal(QString::number(disc.DiscTotal));
    if (r.Compilation)
        tags.SetCompilation(QStringLiteral("1"));
}

void ConfigureMp3Out(TMP3Out& out, const TAppOptions& o) {
    // CPU usage 1, 2, 3 gives 11, 6, 1 ms; 5 ms and less means no pause at all.
    out.SetBlockDelay(16 - 5 * o.Mp3Cpu);
    TMP3BitRate rate;
    if (Pick(ConstantBitRates, o.ConstantBitRate, rate))
        out.SetBitRate(rate);
    out.SetEnableVBR(o.IsSelectVBR);
    out.SetWriteVBRHeader(o.IsVBRHead);
    if (o.StereoMode >= 0 && o.StereoMode <= 3)
        out.SetMode(static_cast<TMP3Mode>(o.StereoMode));
    out.SetVBRMinBitrate(o.BitRate);
    out.SetVBRMaxBitrate(o.MaxBitRate);
    if (o.VBRQuality >= 0 && o.VBRQuality <= 9)
        out.SetVBRQuality(static_cast<TMP3Quality>(o.VBRQuality));
}

void ConfigureVorbisOut(TVorbisOut& out, const TEncodeRequest& request, const TAppOptions& o) {
    if (o.IsUseCompress) {
        out.SetCompression(float(o.CompressPosition - 10) / 100.0f);
        out.SetDesiredMaximumBitrate(TVorbisBitRate::brAutoSelect);
        out.SetDesiredNominalBitrate(TVorbisBitRate::brAutoSelect);
        out.SetMinimumBitrate(TVorbisBitRate::brAutoSelect);
    } else {
        // The nominal rate goes first: the output ignores a maximum while its nominal rate is
        // automatic, so setting the maximum first would lose it on a fresh output.
        TVorbisBitRate rate;
        if (Pick(OggBitRates, o.OggNomalBitRate, rate))
            out.SetDesiredNominalBitrate(rate);
        if (Pick(OggBitRates, o.OggMaxBitRate, rate))
            out.SetDesiredMaximumBitrate(rate);
        if (Pick(OggBitRates, o.OggMinBitRate, rate))
            out.SetMinimumBitrate(rate);
        out.SetCompression(0.2f);
    }
    FillVorbisTags(out.Comments(), request);
}

void ConfigureFlacOut(TFLACOut& out, const TEncodeRequest& request, const TAppOptions& o) {
    out.SetCompressionLevel(o.FlacCompression);
    FillVorbisTags(out.Tags(), request);
}

void ConfigureMacOut(TMACOut& out, const TAppOptions& options) {
    // CPU usage 1 pauses 11 ms between blocks, 2 pauses 6 ms, 3 not at all (below 5 ms).
    out.SetBlockDelay(16 - 5 * options.ApeCpu);
    out.SetCompressionLevel(options.ApeCompression);
}

void ConfigureWmaOut(TWMAOut& out, const TAppOptions& options) {
    out.SetVBR(options.WmaVBR);
    out.SetCodecIndex(options.CodecIndex);
    out.SetFormatIndex(options.FormatIndex);
}

void ConfigureOpusOut(TOpusOut& out, const TEncodeRequest& request, const TAppOptions& o) {
    out.SetBitrate(o.OpusBitrate);
    out.SetComplexity(o.OpusComplexity);
    FillVorbisTags(out.Comments(), request);
}

void ConfigureAacOut(TM4AOut& out, const TAppOptions& o) {
    out.SetBitrate(o.AacBitrate);
}

TAuFileOut* CreateFormatOutput(int format, QObject* owner) {
    switch (format) {
    case FormatMp3:
        return new TMP3Out(owner);
    case FormatWav: {
        auto* wave = new TWaveOut(owner);
        wave->SetWavType(wtPCM);
        wave->SetBlockSize(512);
        wave->SetFileMode(foRewrite);
        return wave;
    }
    case FormatOgg:
        return new TVorbisOut(owner);
    case FormatWma:
        return new TWMAOut(owner);
    case FormatFlac:
        return new TFLACOut(owner);
    case FormatApe:
        return new TMACOut(owner);
    case FormatOpus:
        return new TOpusOut(owner);
    case FormatAac:
        return new TM4AOut(TM4ACodec::Aac, owner);
    case FormatAlac:
        return new TM4AOut(TM4ACodec::Alac, owner);
    default:
        throw EAuException(
            QCoreApplication::translate("TEncoderConfig", "Unknown output format %1").arg(format));
    }
}

void ConfigureFormatOutput(TAuFileOut& out, const TEncodeRequest& request,
                           const TAppOptions& options) {
    switch (request.Format) {
    case FormatMp3:
        ConfigureMp3Out(static_cast<TMP3Out&>(out), options);
        break;
    case FormatOgg:
        ConfigureVorbisOut(static_cast<TVorbisOut&>(out), request, options);
        break;
    case FormatWma:
        ConfigureWmaOut(static_cast<TWMAOut&>(out), options);
        break;
    case FormatFlac:
        ConfigureFlacOut(static_cast<TFLACOut&>(out), request, options);
        break;
    case FormatApe:
        ConfigureMacOut(static_cast<TMACOut&>(out), options);
        break;
    case FormatOpus:
        ConfigureOpusOut(static_cast<TOpusOut&>(out), request, options);
        break;
    case FormatAac:
        ConfigureAacOut(static_cast<TM4AOut&>(out), options);
        break;
    default:
        break;
    }
}
