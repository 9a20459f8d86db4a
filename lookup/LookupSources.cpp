#include "LookupSources.h"

TLookupSources TLookupSources::From(const TAppOptions& options) {
    TLookupSources s;
    if (!ParseOrder(options.LookupSource, &s.Source))
        s.Source = Cddb;
    if (!options.MusicBrainzServer.trimmed().isEmpty())
        s.MusicBrainzServer = ServerUrl(options.MusicBrainzServer);
    s.CoverArt = options.CoverArt;
    if (!options.CoverArtServer.trimmed().isEmpty())
        s.CoverArtServer = ServerUrl(options.CoverArtServer);
    return s;
}

bool TLookupSources::ParseOrder(const QString& text, Order* order) {
    QString t = text.toLower();
    t.remove(u' ');
    if (t == QLatin1String("cddb"))
        *order = Cddb;
    else if (t == QLatin1String("musicbrainz"))
        *order = MusicBrainz;
    else if (t == QLatin1String("musicbrainz,cddb"))
        *order = MusicBrainzThenCddb;
    else
        return false;
    return true;
}

QString TLookupSources::OrderText(Order order) {
    switch (order) {
    case MusicBrainz:
        return QStringLiteral("musicbrainz");
    case MusicBrainzThenCddb:
        return QStringLiteral("musicbrainz,cddb");
    case Cddb:
        break;
    }
    return QStringLiteral("cddb");
}

QString TLookupSources::ServerUrl(const QString& text) {
    const QString t = text.trimmed();
    if (t.contains(QLatin1String("://")))
        return t;
    return QStringLiteral("http://") + t;
}
