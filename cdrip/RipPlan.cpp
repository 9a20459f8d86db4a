#include "RipPlan.h"

#include "audio/Genres.h"
#include "audio/Helpers.h"
#include "encode/OutputFormats.h"
#include "encode/OutputNaming.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

bool TRipPlan::Build(const std::vector<TTrackRow>& rows, const TDiscFields& disc,
                     const TAppOptions& options, TRipPlan* plan, QString* error) {
    return Build(rows, disc, options, options.NameTemplate, plan, error);
}

bool TRipPlan::Build(const std::vector<TTrackRow>& rows, const TDiscFields& disc,
                     const TAppOptions& options, const QString& templateText, TRipPlan* plan,
                     QString* error) {
    const std::optional<TNameTemplate> names = TNameTemplate::Parse(templateText, error);
    if (!names)
        return false;
    TRipPlan p;
    p.Disc = disc;
    p.TrackTotal = int(rows.size());
    p.Format = options.OutputFormat;
    p.OutputFolder = options.OutputFolder;
    for (const TTrackRow& row : rows)
        if (!row.Artist.isEmpty() && row.Artist != disc.Artist)
            p.Compilation = true;
    const QString extension = FormatExtension(options.OutputFormat);
    const QString wavExtension = QStringLiteral(".wav");
    const QString root = WithTrailingBackslash(options.OutputFolder);
    // Names already given in this rip, by final path without extension: a title that repeats
    // gets " (2)", and the kept WAV keeps the same base as its encoded file.
    QSet<QString> taken;
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
        const QString base = root + names->Expand(f, extension, options.FatSafeNames);
        const QString unique = UniqueInSet(base, QString(), &taken);
        TRipPlanTrack t;
        t.Number = int(i + 1);
        t.Title = row.Title;
        t.Artist = row.Artist == disc.Artist ? QString() : row.Artist;
        t.Path = unique + extension;
        t.WavPath = unique + wavExtension;
        p.Tracks.push_back(t);
    }
    p.FilesFolder =
        p.Tracks.empty() ? options.OutputFolder : QFileInfo(p.Tracks.front().Path).path();
    *plan = p;
    return true;
}

QString TRipPlan::RelativeToFiles(const QString& path) const {
    return QDir(FilesFolder).relativeFilePath(path);
}
