// The "Edit Track's Title" dialog: one edit box with the title, OK only while it is not empty,
// and a refusal of what cannot be a file name. GUI (main) thread only.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

class TfrmEditTrackName : public QDialog {
    Q_OBJECT
public:
    TfrmEditTrackName(const QString& title, QWidget* parent = nullptr);

    QString Title() const;
    // Why `title` cannot name the track's files, or "" when it can.
    static QString TitleProblem(const QString& title);

    QLineEdit* eName;
    QPushButton* bOK;
    QPushButton* bCancel;

public slots:
    void accept() override;
};
