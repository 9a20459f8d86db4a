// The disc fields (artist, album, year, genre, comment) and the track list titles of the disc
// in the drive, as the lookup changes them and the main window presents them. It works on the
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

    // Empties artist, album, year and comment and clears the genre selection.
    void clearDiscFields();
    void setArtist(const QString& text);
    void setAlbum(const QString& text);
    void setYear(const QString& text);
    // Position in the genre box: 0 the blank entry, 1..148 the genre names, -1 none selected.
    void setGenre(int position);
    // Title of list row `row` (0-based); a row that does not exist is left alone.
    void setTrackTitle(int row, const QString& title);

signals:
    // Emitted after every change, for a view to refresh.
    void changed();

private:
    // The setters run on the GUI thread only (workers reach them through queued calls); debug
    // builds check it.
    void assertGuiThread() const;

    TDiscSession& m_session;
};
