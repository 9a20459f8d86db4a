#include "DiscFieldsModel.h"

#include <QThread>
#include <algorithm>

TDiscFieldsModel::TDiscFieldsModel(TDiscSession& session, QObject* parent)
    : QObject(parent), m_session(session) {}

void TDiscFieldsModel::assertGuiThread() const {
    Q_ASSERT_X(QThread::currentThread() == thread(), "TDiscFieldsModel",
               "changed off the GUI thread");
}

void TDiscFieldsModel::clearDiscFields() {
    assertGuiThread();
    TDiscFields& f = m_session.Fields;
    f.Artist.clear();
    f.Album.clear();
    f.Year.clear();
    f.Comment.clear();
    f.Genre = -1;
    f.AlbumArtist.clear();
    f.DiscNumber = 0;
    f.DiscTotal = 0;
    for (TTrackRow& row : m_session.Rows)
        row.Artist.clear();
    emit changed();
}

void TDiscFieldsModel::setArtist(const QString& text) {
    assertGuiThread();
    m_session.Fields.Artist = text;
    emit changed();
}

void TDiscFieldsModel::setAlbumArtist(const QString& text) {
    assertGuiThread();
    m_session.Fields.AlbumArtist = text;
    emit changed();
}

void TDiscFieldsModel::setDiscNumber(int number, int total) {
    assertGuiThread();
    m_session.Fields.DiscNumber = std::max(0, number);
    m_session.Fields.DiscTotal = std::max(0, total);
    emit changed();
}

void TDiscFieldsModel::setAlbum(const QString& text) {
    assertGuiThread();
    m_session.Fields.Album = text;
    emit changed();
}

void TDiscFieldsModel::setYear(const QString& text) {
    assertGuiThread();
    m_session.Fields.Year = text;
    emit changed();
}

void TDiscFieldsModel::setGenre(int position) {
    assertGuiThread();
    m_session.Fields.Genre = (position >= 0 && position <= 148) ? position : -1;
    emit changed();
}

void TDiscFieldsModel::setTrackTitle(int row, const QString& title) {
    assertGuiThread();
    if (row < 0 || size_t(row) >= m_session.Rows.size())
        return;
    m_session.Rows[size_t(row)].Title = title;
    emit changed();
}

void TDiscFieldsModel::setTrackArtist(int row, const QString& artist) {
    assertGuiThread();
    if (row < 0 || size_t(row) >= m_session.Rows.size())
        return;
    m_session.Rows[size_t(row)].Artist = artist;
    emit changed();
}
