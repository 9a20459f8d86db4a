// Keeps one running window per user and settings folder: the first start listens on a local
// socket, a later start hands it the disc images it was given, asks it to raise its window and
// exits. GUI (main) thread only.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // `configDir` is the settings folder in use, so separate set-ups run side by side.
    explicit TSingleInstance(const QString& configDir, QObject* parent = nullptr);

    // The socket name: fixed per user and per settings folder.
    static QString ServerName(const QString& configDir);

    // True when a running instance took the request to raise its window (waits at most
    // `timeoutMs` milliseconds for it).
    bool RaiseRunning(int timeoutMs = 2000) { return SendToRunning({}, timeoutMs); }
    // As RaiseRunning, and the running instance opens `images` (absolute paths) first.
    bool SendToRunning(const QStringList& images, int timeoutMs = 2000);
    // Starts listening; a socket left behind by an instance that crashed is removed first.
    // False when the socket cannot be made (the program then runs without the guard).
    bool Listen();

signals:
    // A later start asked this instance to open these disc images (before raiseRequested).
    void imagesRequested(const QStringList& images);
    // A later start asked this instance to show its window.
    void raiseRequested();

private:
    QString m_name;
    QLocalServer* m_server = nullptr;
};
