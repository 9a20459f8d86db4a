// One release of a MusicBrainz disc id answer, reduced to what the disc fields take: the
// artist credit, the album title, the release year, a genre among the 148 names, which medium
// of how many holds the disc, and that medium's track titles and track artists. Plain value
// type, any thread.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

struct TMusicBrainzRelease {
    QString Mbid;    // the release's MusicBrainz id (the cover archive's key)
    QString Artist;  // the artist credit's names joined by their join phrases
    QString Album;   // the release title
    QString Year;    // the year of the release date; "" when it has none
    QString Country; // as MusicBrainz gives it; may be ""
    int Genre = -1;  // genre box position 1..148 of the release's best-counted known genre, -1
    int MediumPosition = 0; // which medium holds the disc (1-based), of MediumCount
    int MediumCount = 0;
    QStringList Titles; // that medium's track titles in track order
    // The artist credit of each track, as Titles, where it differs from the release's
    // (Artist); "" where the release's artists perform it.
    QStringList Artists;

    // "Artist - Album (Year, Country, disc 2 of 3)", what a user chooses a release by.
    QString Description() const;

    // Reads a /ws/2/discid answer for disc `discId` with `trackCount` audio tracks. True with
    // the releases in the answer's order (none when it lists none); false with `error` set
    // when the body is no JSON object of that shape. A release names the medium whose disc
    // list holds `discId`, else the first with `trackCount` tracks, else its first medium.
    static bool ParseDiscAnswer(const QByteArray& json, const QString& discId, int trackCount,
                                std::vector<TMusicBrainzRelease>* releases, QString* error);
};
