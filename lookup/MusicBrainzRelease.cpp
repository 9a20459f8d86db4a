#include "MusicBrainzRelease.h"

#include "audio/Genres.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace {

// Text as it may stand in a disc field: one line, no control characters, trimmed.
QString oneLine(const QString& text) {
    QString t = text;
    for (QChar& c : t)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u' ';
    return t.simplified();
}

QString creditText(const QJsonArray& credit) {
    QString text;
    for (const QJsonValue& v : credit) {
        const QJsonObject name = v.toObject();
        QString n = name.value(QStringLiteral("name")).toString();
        if (n.isEmpty())
            n = name.value(QStringLiteral("artist"))
                    .toObject()
                    .value(QStringLiteral("name"))
                    .toString();
        text += n + name.value(QStringLiteral("joinphrase")).toString();
    }
    return oneLine(text);
}

// The genre box position of a MusicBrainz genre name ("hip hop" is "Hip-Hop"), -1 for none.
int genrePosition(const QString& name) {
    const int exact = GenreIndexOf(name, Qt::CaseInsensitive);
    if (exact >= 0)
        return exact + 1;
    QString dashed = name;
    dashed.replace(u' ', u'-');
    const int index = GenreIndexOf(dashed, Qt::CaseInsensitive);
    return index >= 0 ? index + 1 : -1;
}

int bestGenre(const QJsonArray& genres) {
    int best = -1;
    int bestCount = -1;
    for (const QJsonValue& v : genres) {
        const QJsonObject g = v.toObject();
        const int position = genrePosition(g.value(QStringLiteral("name")).toString().trimmed());
        const int count = g.value(QStringLiteral("count")).toInt();
        if (position > 0 && count > bestCount) {
            best = position;
            bestCount = count;
        }
    }
    return best;
}

bool holdsDisc(const QJsonObject& medium, const QString& discId) {
    for (const QJsonValue& d : medium.value(QStringLiteral("discs")).toArray())
        if (d.toObject().value(QStringLiteral("id")).toString() == discId)
            return true;
    return false;
}

// The medium's track titles and, where a track's artist credit is not `releaseArtist`, its
// artist credit; both in track order.
void readTracks(const QJsonObject& medium, const QString& releaseArtist, QStringList* titles,
                QStringList* artists) {
    struct Track {
        int Position;
        QString Title;
        QString Artist;
    };
    std::vector<Track> tracks;
    for (const QJsonValue& v : medium.value(QStringLiteral("tracks")).toArray()) {
        const QJsonObject t = v.toObject();
        QString title = t.value(QStringLiteral("title")).toString();
        if (title.isEmpty())
            title = t.value(QStringLiteral("recording"))
                        .toObject()
                        .value(QStringLiteral("title"))
                        .toString();
        QString artist = creditText(t.value(QStringLiteral("artist-credit")).toArray());
        if (artist == releaseArtist)
            artist.clear();
        tracks.push_back({t.value(QStringLiteral("position")).toInt(int(tracks.size()) + 1),
                          oneLine(title), artist});
    }
    std::stable_sort(tracks.begin(), tracks.end(),
                     [](const Track& a, const Track& b) { return a.Position < b.Position; });
    titles->clear();
    artists->clear();
    for (const Track& t : tracks) {
        *titles << t.Title;
        *artists << t.Artist;
    }
}

} // namespace

QString TMusicBrainzRelease::Description() const {
    QStringList details;
    if (!Year.isEmpty())
        details << Year;
    if (!Country.isEmpty())
        details << Country;
    if (MediumCount > 1)
        details << QCoreApplication::translate("TMusicBrainzRelease", "disc %1 of %2")
                       .arg(MediumPosition)
                       .arg(MediumCount);
    QString text = Artist + QStringLiteral(" - ") + Album;
    if (!details.isEmpty())
        text += QStringLiteral(" (") + details.join(QStringLiteral(", ")) + u')';
    return text;
}

bool TMusicBrainzRelease::ParseDiscAnswer(const QByteArray& json, const QString& discId,
                                          int trackCount,
                                          std::vector<TMusicBrainzRelease>* releases,
                                          QString* error) {
    releases->clear();
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (!doc.isObject()) {
        *error = QCoreApplication::translate("TMusicBrainzRelease",
                                             "The MusicBrainz answer is not JSON: %1")
                     .arg(parseError.error == QJsonParseError::NoError
                              ? QCoreApplication::translate("TMusicBrainzRelease", "no object")
                              : parseError.errorString());
        return false;
    }
    const QJsonValue list = doc.object().value(QStringLiteral("releases"));
    if (!list.isUndefined() && !list.isArray()) {
        *error = QCoreApplication::translate("TMusicBrainzRelease",
                                             "The MusicBrainz answer lists no releases.");
        return false;
    }
    for (const QJsonValue& v : list.toArray()) {
        const QJsonObject r = v.toObject();
        TMusicBrainzRelease release;
        release.Mbid = r.value(QStringLiteral("id")).toString();
        release.Album = oneLine(r.value(QStringLiteral("title")).toString());
        release.Artist = creditText(r.value(QStringLiteral("artist-credit")).toArray());
        const QString date = r.value(QStringLiteral("date")).toString().trimmed();
        if (date.size() >= 4 && date.left(4).toInt() > 0)
            release.Year = date.left(4);
        release.Country = oneLine(r.value(QStringLiteral("country")).toString());
        release.Genre = bestGenre(r.value(QStringLiteral("genres")).toArray());
        const QJsonArray media = r.value(QStringLiteral("media")).toArray();
        release.MediumCount = int(media.size());
        int chosen = -1;
        for (int i = 0; i < media.size() && chosen < 0; ++i)
            if (holdsDisc(media[i].toObject(), discId))
                chosen = i;
        for (int i = 0; i < media.size() && chosen < 0; ++i)
            if (media[i].toObject().value(QStringLiteral("tracks")).toArray().size() == trackCount)
                chosen = i;
        if (chosen < 0 && !media.isEmpty())
            chosen = 0;
        if (chosen >= 0) {
            const QJsonObject medium = media[chosen].toObject();
            release.MediumPosition = medium.value(QStringLiteral("position")).toInt(chosen + 1);
            readTracks(medium, release.Artist, &release.Titles, &release.Artists);
        }
        releases->push_back(release);
    }
    return true;
}
