// The "Edit Track's Title" dialog: the track's title and its own performer, OK only while the
// title is not blank. Any text is taken: the tags keep it as typed and the naming function makes
// the file name from it. GUI (main) thread only.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

class TfrmEditTrackName : public QDialog {
    Q_OBJECT
public:
    // `artist` is the track's own performer, empty when it is the disc artist's.
    TfrmEditTrackName(const QString& title, const QString& artist, QWidget* parent = nullptr);

    QString Title() const;
    // The performer typed, trimmed; empty for the disc artist's.
    QString Artist() const;

    QLineEdit* eName;
    QLineEdit* eArtist;
    QPushButton* bOK;
    QPushButton* bCancel;

public slots:
    void accept() override;
};
