// The track list's model: one checkable row per track of the disc session's rows, with the
// columns "No.", "Title", "Artist", "Start Time", "Length(min)". It shows and edits the session's
// rows in place; whoever replaces them calls Reset. The columns are fixed: the view hides
// "Artist" while no row HasTrackArtists. GUI (main) thread only.
#pragma once

#include "disc/TrackRow.h"

#include <QAbstractTableModel>
#include <vector>

class TTrackListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColNumber, ColTitle, ColArtist, ColStart, ColLength, ColumnCount };

    // `rows` must outlive the model.
    explicit TTrackListModel(std::vector<TTrackRow>* rows, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The rows were replaced or cleared.
    void Reset();
    void SetChecked(int row, bool checked);
    void SetAllChecked(bool checked);
    void InvertChecks();
    void SetTitle(int row, const QString& title);
    // `artist` is the track's own performer; empty for the disc artist's.
    void SetArtist(int row, const QString& artist);
    // The titles and artists were changed in the rows directly (by a lookup).
    void TitlesChanged();
    int CheckedCount() const;
    // Some row has a performer of its own (a compilation, a guest).
    bool HasTrackArtists() const;

signals:
    // A row's check changed (by the user or a command).
    void checksChanged();

private:
    std::vector<TTrackRow>* m_rows;
};
