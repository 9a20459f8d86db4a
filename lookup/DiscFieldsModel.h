// The disc fields (artist, album, year, genre, comment, album artist, disc number) and the
// track list titles and artists of the disc in the drive, as the lookup changes them and the
// main window presents them. It works on the
// rows and fields of a TDiscSession, which must outlive it. GUI (main) thread only; workers
// reach it through queued calls (see TQueryCDDBThread).
#pragma once

#include "disc/DiscSession.h"

#include <QObject>

class TDiscFieldsModel : public QObject {
    Q_OBJECT
public:
    explicit TDiscFieldsModel(TDiscSession& session, QObject* parent = nullptr);

    const TDiscFields& fields() const { return m_session.Fields; }
    const std::vector<TTrackRow>& rows() const { return m_session.Rows; }

    // Empties artist, album, year, comment, album artist and every row's artist, clears the
    // genre selection and the disc number. Titles stay.
    void clearDiscFields();
    void setArtist(const QString& text);
    // The album's artist where it is not the disc artist; empty means the disc artist.
    void setAlbumArtist(const QString& text);
    // Disc `number` of a set of `total` discs; 0 (or less) for unknown.
    void setDiscNumber(int number, int total);
    void setAlbum(const QString& text);
    void setYear(const QString& text);
    // Position in the genre box: 0 the blank entry, 1..148 the genre names, -1 none selected.
    void setGenre(int position);
    // Title of list row `row` (0-based); a row that does not exist is left alone.
    void setTrackTitle(int row, const QString& title);
    // The own performer of list row `row` (0-based); empty when the disc artist performs it.
    // A row that does not exist is left alone.
    void setTrackArtist(int row, const QString& artist);

signals:
    // Emitted after every change, for a view to refresh.
    void changed();

private:
    // The setters run on the GUI thread only (workers reach them through queued calls); debug
    // builds check it.
    void assertGuiThread() const;

    TDiscSession& m_session;
};
