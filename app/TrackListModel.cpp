#include "TrackListModel.h"

TTrackListModel::TTrackListModel(std::vector<TTrackRow>* rows, QObject* parent)
    : QAbstractTableModel(parent), m_rows(rows) {}

int TTrackListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows->size());
}

int TTrackListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TTrackListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const TTrackRow& r = (*m_rows)[size_t(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case ColNumber:
            return QString::number(r.Number);
        case ColTitle:
            return r.Title;
        case ColArtist:
            return r.Artist;
        case ColStart:
            return r.StartTime;
        case ColLength:
            // A data track is listed, but it is no audio to rip.
            return r.IsAudio ? r.Length : tr("%1 data").arg(r.Length);
        }
    } else if (role == Qt::CheckStateRole && index.column() == ColNumber) {
        return r.Checked ? Qt::Checked : Qt::Unchecked;
    } else if (role == Qt::TextAlignmentRole) {
        const bool centred = index.column() == ColStart || index.column() == ColLength;
        return int((centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    return {};
}

bool TTrackListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != ColNumber)
        return false;
    SetChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

Qt::ItemFlags TTrackListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == ColNumber && index.row() < rowCount() &&
        (*m_rows)[size_t(index.row())].IsAudio)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant TTrackListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole) {
        static const char* const captions[] = {QT_TR_NOOP("No."), QT_TR_NOOP("Title"),
                                               QT_TR_NOOP("Artist"), QT_TR_NOOP("Start Time"),
                                               QT_TR_NOOP("Length(min)")};
        return section >= 0 && section < ColumnCount ? tr(captions[section]) : QVariant();
    }
    if (role == Qt::TextAlignmentRole) {
        const bool centred = section == ColStart || section == ColLength;
        return int((centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    return {};
}

void TTrackListModel::Reset() {
    beginResetModel();
    endResetModel();
    emit checksChanged();
}

void TTrackListModel::SetChecked(int row, bool checked) {
    if (row < 0 || row >= rowCount() || (*m_rows)[size_t(row)].Checked == checked)
        return;
    if (checked && !(*m_rows)[size_t(row)].IsAudio)
        return; // a data track cannot be ripped as audio
    (*m_rows)[size_t(row)].Checked = checked;
    const QModelIndex i = index(row, ColNumber);
    emit dataChanged(i, i, {Qt::CheckStateRole});
    emit checksChanged();
}

void TTrackListModel::SetAllChecked(bool checked) {
    for (int r = 0; r < rowCount(); ++r)
        SetChecked(r, checked);
}

void TTrackListModel::InvertChecks() {
    for (int r = 0; r < rowCount(); ++r)
        SetChecked(r, !(*m_rows)[size_t(r)].Checked);
}

void TTrackListModel::SetTitle(int row, const QString& title) {
    if (row < 0 || row >= rowCount())
        return;
    (*m_rows)[size_t(row)].Title = title;
    const QModelIndex i = index(row, ColTitle);
    emit dataChanged(i, i, {Qt::DisplayRole});
}

void TTrackListModel::SetArtist(int row, const QString& artist) {
    if (row < 0 || row >= rowCount())
        return;
    (*m_rows)[size_t(row)].Artist = artist;
    const QModelIndex i = index(row, ColArtist);
    emit dataChanged(i, i, {Qt::DisplayRole});
}

bool TTrackListModel::HasTrackArtists() const {
    for (const TTrackRow& r : *m_rows)
        if (!r.Artist.isEmpty())
            return true;
    return false;
}

int TTrackListModel::CheckedCount() const {
    int n = 0;
    for (const TTrackRow& r : *m_rows)
        n += r.Checked ? 1 : 0;
    return n;
}

void TTrackListModel::TitlesChanged() {
    if (!m_rows->empty())
        emit dataChanged(index(0, ColTitle), index(int(m_rows->size()) - 1, ColArtist));
}
