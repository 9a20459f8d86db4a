// The end of a rip: each ripped track with its AccurateRip verdict and the reason, in a list
// that scrolls however many tracks the disc has, and where the rip log went, with a button that
// opens it. GUI (main) thread only.
#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;
class QTreeWidget;

class TfrmRipVerdicts : public QDialog {
    Q_OBJECT
public:
    explicit TfrmRipVerdicts(QWidget* parent = nullptr);

    // A row: the track's number, title and verdict ("accurate (confidence 12)", "not checked:
    // host not found").
    void AddTrack(int number, const QString& title, const QString& verdict);
    // The rip logs written, one per output format.
    void SetLogs(const QStringList& paths);

    QTreeWidget* lvTracks;
    QLabel* lLogs;
    QPushButton* bOpenLog;
    QPushButton* bOK;

private:
    void openLog();

    QStringList m_logs;
};
