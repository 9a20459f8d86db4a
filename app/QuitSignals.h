// Turns SIGTERM, SIGINT and SIGHUP (logout, shutdown, Ctrl+C in a terminal) into a Qt signal on
// the GUI thread, so the program saves its files and quits as the window's Exit does. The
// handler only writes the signal's number into a pipe; a socket notifier reads it in the event
// loop. One instance per process; GUI (main) thread only.
#pragma once

#include <QObject>

class QSocketNotifier;

class TQuitSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; the previous ones come back when the object goes.
    explicit TQuitSignals(QObject* parent = nullptr);
    ~TQuitSignals() override;

signals:
    // One of the signals arrived (its number).
    void received(int signalNumber);

private:
    QSocketNotifier* m_notifier = nullptr;
};
