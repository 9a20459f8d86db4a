#include "RipPlan.h"

#include "audio/Genres.h"
#include "audio/Helpers.h"
#include "encode/OutputFormats.h"
#include "encode/OutputNaming.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

bool TRipPlan::Build(const std::vector<TTrackRow>& rows, const TDiscFields& disc,
                     const TAppOptions& options, TRipPlan* plan, QString* error) {
    return Build(rows, disc, options, options.NameTemplate, plan, error);
}

bool TRipPlan::Build(const std::vector<TTrackRow>& rows, const TDiscFields& disc,
                     const TAppOptions& options, const QString& templateText, TRipPlan* plan,
                     QString* error) {
    TRipPlan p;
    p.Formats = RipFormatsOf(options);
    // Several formats need folders of their own unless the names already tell them apart.
    QString text = templateText.trimmed().isEmpty() ? TNameTemplate::DefaultText() : templateText;
    const std::optional<TNameTemplate> given = TNameTemplate::Parse(text, error);
    if (!given)
        return false;
    if (p.Formats.size() > 1 && !given->Uses(QStringLiteral("format")))
        text = QStringLiteral("{format}/") + text;
    const std::optional<TNameTemplate> names = TNameTemplate::Parse(text, error);
    if (!names)
        return false;
    p.Disc = disc;
    p.TrackTotal = int(rows.size());
    p.Format = p.Formats.front();
    p.OutputFolder = options.OutputFolder;
    for (const TTrackRow& row : rows)
        if (!row.Artist.isEmpty() && row.Artist != disc.Artist)
            p.Compilation = true;
    const QString root = WithTrailingBackslash(options.OutputFolder);
    const auto wav = std::find(p.Formats.begin(), p.Formats.end(), int(FormatWav));
    // Names given in this rip so far, by path without extension: a title that repeats gets
    // " (2)", and the kept WAV shares the first format's base.
    std::vector<QSet<QString>> taken(p.Formats.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const TTrackRow& row = rows[i];
        if (!row.Checked)
            continue;
        TNameFields f;
        f.DiscArtist = disc.Artist;
        f.AlbumArtist = disc.AlbumArtist;
        f.Artist = row.Artist;
        f.Album = disc.Album;
        f.Year = disc.Year;
        f.Genre = GenreBoxText(disc.Genre);
        f.Title = row.Title;
        f.Disc = disc.DiscNumber;
        f.DiscTotal = disc.DiscTotal;
        f.Track = int(i + 1);
        f.TrackTotal = p.TrackTotal;
        TRipPlanTrack t;
        t.Number = int(i + 1);
        t.Title = row.Title;
        t.Artist = row.Artist == disc.Artist ? QString() : row.Artist;
        for (size_t k = 0; k < p.Formats.size(); ++k) {
            const QString extension = FormatExtension(p.Formats[k]);
            f.Format = FormatName(p.Formats[k]).toLower();
            const QString base = root + names->Expand(f, extension, options.FatSafeNames);
            t.Paths.push_back(UniqueInSet(base, QString(), &taken[k]) + extension);
        }
        t.Path = t.Paths.front();
        t.WavPath = wav != p.Formats.end()
                        ? t.Paths[size_t(wav - p.Formats.begin())]
                        : t.Path.chopped(FormatExtension(p.Format).size()) + QStringLiteral(".wav");
        p.Tracks.push_back(t);
    }
    for (size_t k = 0; k < p.Formats.size(); ++k)
        p.FilesFolders.push_back(p.Tracks.empty() ? options.OutputFolder
                                                  : QFileInfo(p.Tracks.front().Paths[k]).path());
    p.FilesFolder = p.FilesFolders.front();
    *plan = p;
    return true;
}

QString TRipPlan::RelativeToFiles(const QString& path, size_t format) const {
    return QDir(FilesFolders.empty() ? FilesFolder : FilesFolders[format]).relativeFilePath(path);
}
