#include "ReplayGainTagger.h"

#include "audio/FileClaim.h"

#include "audio/Helpers.h"
#include "encode/OutputFormats.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <functional>
#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>
#include <unistd.h>

namespace {

using TagLib::String;

String text(const QString& s) {
    return String(s.toUtf8().constData(), String::UTF8);
}

// Calls `put(name, value)` for each value present, with the upper-case tag names.
void eachValue(const TReplayGain& g, const std::function<void(const char*, const QString&)>& put) {
    if (g.HasTrack) {
        put("REPLAYGAIN_TRACK_GAIN", TReplayGain::GainText(g.TrackGain));
        put("REPLAYGAIN_TRACK_PEAK", TReplayGain::PeakText(g.TrackPeak));
    }
    if (g.HasAlbum) {
        put("REPLAYGAIN_ALBUM_GAIN", TReplayGain::GainText(g.AlbumGain));
        put("REPLAYGAIN_ALBUM_PEAK", TReplayGain::PeakText(g.AlbumPeak));
    }
}

void putXiph(TagLib::Ogg::XiphComment* c, const TReplayGain& g) {
    eachValue(
        g, [c](const char* name, const QString& value) { c->addField(name, text(value), true); });
}

void putOpus(TagLib::Ogg::XiphComment* c, const TReplayGain& g) {
    // Opus players apply the R128 gains on top of the header's output gain, which we leave 0.
    if (g.HasTrack)
        c->addField("R128_TRACK_GAIN", String::number(TReplayGain::R128Of(g.TrackGain)), true);
    if (g.HasAlbum)
        c->addField("R128_ALBUM_GAIN", String::number(TReplayGain::R128Of(g.AlbumGain)), true);
}

void putId3v2(TagLib::ID3v2::Tag* tag, const TReplayGain& g) {
    eachValue(g, [tag](const char* name, const QString& value) {
        while (auto* old = TagLib::ID3v2::UserTextIdentificationFrame::find(tag, name))
            tag->removeFrame(old);
        auto* frame = new TagLib::ID3v2::UserTextIdentificationFrame(String::Latin1);
        frame->setDescription(name);
        frame->setText(text(value));
        tag->addFrame(frame);
    });
}

// Opens `name` as a TagLib `File`; when it reads, `putAndSave` puts the values into it and
// saves it, its result going to `saved`. False when the file cannot be read as that kind.
template <class File, class PutAndSave>
bool tagFile(const QByteArray& name, bool* saved, PutAndSave putAndSave) {
    File f(name.constData(), false);
    if (!f.isValid())
        return false;
    *saved = putAndSave(f);
    return true;
}

// Opens `path` as `format` and saves it with the values; "" or the reason.
QString write(const QString& path, int format, const TReplayGain& g) {
    const QByteArray name = QFile::encodeName(path);
    bool opened = false;
    bool saved = false;
    switch (format) {
    case FormatFlac:
        opened = tagFile<TagLib::FLAC::File>(name, &saved, [&g](TagLib::FLAC::File& f) {
            putXiph(f.xiphComment(true), g);
            return f.save();
        });
        break;
    case FormatOgg:
        opened = tagFile<TagLib::Ogg::Vorbis::File>(name, &saved, [&g](auto& f) {
            putXiph(f.tag(), g);
            return f.save();
        });
        break;
    case FormatOpus:
        opened = tagFile<TagLib::Ogg::Opus::File>(name, &saved, [&g](auto& f) {
            putOpus(f.tag(), g);
            return f.save();
        });
        break;
    case FormatMp3:
        opened = tagFile<TagLib::MPEG::File>(name, &saved, [&g](TagLib::MPEG::File& f) {
            putId3v2(f.ID3v2Tag(true), g);
            // Our own tags are ID3v2.3; the ID3v1 tag after the audio stays as it is.
            return f.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3,
                          TagLib::File::DoNotDuplicate);
        });
        break;
    case FormatApe:
        opened = tagFile<TagLib::APE::File>(name, &saved, [&g](TagLib::APE::File& f) {
            TagLib::APE::Tag* tag = f.APETag(true);
            eachValue(g, [tag](const char* key, const QString& value) {
                tag->addValue(key, text(value), true);
            });
            return f.save();
        });
        break;
    case FormatWma:
        opened = tagFile<TagLib::ASF::File>(name, &saved, [&g](TagLib::ASF::File& f) {
            TagLib::ASF::Tag* tag = f.tag();
            eachValue(g, [tag](const char* key, const QString& value) {
                tag->setAttribute(key, TagLib::ASF::Attribute(text(value)));
            });
            return f.save();
        });
        break;
    case FormatAac:
    case FormatAlac:
        opened = tagFile<TagLib::MP4::File>(name, &saved, [&g](TagLib::MP4::File& f) {
            TagLib::MP4::Tag* tag = f.tag();
            eachValue(g, [tag](const char* key, const QString& value) {
                const QString atom =
                    QStringLiteral("----:com.apple.iTunes:") + QString::fromLatin1(key).toLower();
                tag->setItem(text(atom), TagLib::MP4::Item(TagLib::StringList(text(value))));
            });
            return f.save();
        });
        break;
    case FormatWav:
        return QString(); // our WAV files carry no tags
    default:
        return QCoreApplication::translate(
                   "TReplayGainTagger", "Cannot write ReplayGain tags into %1: its format has none")
            .arg(path);
    }
    if (!opened)
        return QCoreApplication::translate(
                   "TReplayGainTagger",
                   "Cannot write ReplayGain tags into %1: it cannot be read as %2")
            .arg(path, FormatName(format));
    if (!saved)
        return QCoreApplication::translate(
                   "TReplayGainTagger",
                   "Cannot write ReplayGain tags into %1: the tags cannot be saved")
            .arg(path);
    return QString();
}

} // namespace

QString TReplayGainTagger::WriteInPlace(const QString& path, int format, const TReplayGain& gain) {
    if (gain.isEmpty())
        return QString();
    return write(path, format, gain);
}

QString TReplayGainTagger::WriteByCopy(const QString& path, int format, const TReplayGain& gain) {
    if (gain.isEmpty() || format == FormatWav)
        return QString();
    // The copy is made under a partial name of its own, created exclusively and locked, so
    // that no other job's partial file is taken or removed on the way.
    QString copy;
    const int fd = TFileClaim::CreatePartial(path, &copy);
    if (fd < 0)
        return QCoreApplication::translate("TReplayGainTagger",
                                           "Cannot create a file beside %1: %2")
            .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    QString failure;
    {
        QFile source(path);
        QFile target;
        if (!source.open(QIODevice::ReadOnly))
            failure = QCoreApplication::translate("TReplayGainTagger", "Cannot read %1: %2")
                          .arg(path, source.errorString());
        else if (!target.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
            failure = QCoreApplication::translate("TReplayGainTagger", "Cannot write %1: %2")
                          .arg(copy, target.errorString());
        while (failure.isEmpty() && !source.atEnd()) {
            const QByteArray block = source.read(1 << 20);
            if (block.isEmpty() && source.error() != QFileDevice::NoError)
                failure = QCoreApplication::translate("TReplayGainTagger", "Cannot read %1: %2")
                              .arg(path, source.errorString());
            else if (target.write(block) != block.size())
                failure = QCoreApplication::translate("TReplayGainTagger", "Cannot write %1: %2")
                              .arg(copy, target.errorString());
        }
        if (failure.isEmpty() && !target.flush())
            failure = QCoreApplication::translate("TReplayGainTagger", "Cannot write %1: %2")
                          .arg(copy, target.errorString());
    }
    if (failure.isEmpty())
        failure = write(copy, format, gain);
    if (failure.isEmpty())
        failure = RenameOver(copy, path);
    if (!failure.isEmpty())
        QFile::remove(copy);
    ::close(fd);
    return failure;
}
