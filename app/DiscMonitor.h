// Tells the main window when a disc arrives in or leaves the open drive: libudev "change"
// events of the drive's block device (ID_CDROM_MEDIA, DISK_MEDIA_CHANGE), or, where no udev
// daemon runs, a polling thread asking libcdio whether the medium changed. For a disc image, a
// change of the image file counts as an arrival, its removal as a removal.
//
// Lives on the GUI (main) thread and emits there. The polling thread shares only its stop flag
// (atomic, with a mutex and condition variable to wake it) and posts its findings as queued
// calls; the monitor joins it before it is destroyed, so no call reaches a monitor that is gone.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class QFileSystemWatcher;
class QSocketNotifier;
class QTimer;
struct udev;
struct udev_monitor;

class TDiscMonitor : public QObject {
    Q_OBJECT
public:
    explicit TDiscMonitor(QObject* parent = nullptr);
    ~TDiscMonitor() override;

    // Watches `source`: a device path of a drive, or the file of a disc image. An empty source
    // stops watching.
    void Watch(const QString& source, bool isImage);
    // Milliseconds between two polls of a drive where udev is absent (2000 by default).
    void SetPollInterval(int ms) { m_pollMs = ms; }
    // How the drive is watched now: "udev", "polling", "file" or "" (nothing watched).
    QString Method() const { return m_method; }

signals:
    void arrived();
    void removed();

private:
    void stop();
    bool watchWithUdev(const QString& device);
    void onUdevEvent();
    void startPolling(const QString& device);
    void pollLoop(QByteArray device);
    void watchFile(const QString& path);

    QString m_method;
    QString m_device; // canonical device node being watched
    QString m_file;   // image file being watched
    int m_pollMs = 2000;

    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    QSocketNotifier* m_notifier = nullptr;

    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_settle = nullptr; // coalesces the bursts of change signals one write makes

    std::thread m_poller;
    std::atomic<bool> m_stopPolling{false};
    std::mutex m_wakeLock;
    std::condition_variable m_wake;
};
