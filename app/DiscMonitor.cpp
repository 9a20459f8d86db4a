#include "DiscMonitor.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTimer>
#include <cdio/cdio.h>
#include <libudev.h>

TDiscMonitor::TDiscMonitor(QObject* parent) : QObject(parent) {}

TDiscMonitor::~TDiscMonitor() {
    stop();
}

void TDiscMonitor::stop() {
    if (m_poller.joinable()) {
        {
            std::lock_guard guard(m_wakeLock);
            m_stopPolling = true;
        }
        m_wake.notify_all();
        m_poller.join();
    }
    m_stopPolling = false;
    delete m_notifier;
    m_notifier = nullptr;
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    m_monitor = nullptr;
    if (m_udev)
        udev_unref(m_udev);
    m_udev = nullptr;
    delete m_watcher;
    m_watcher = nullptr;
    delete m_settle;
    m_settle = nullptr;
    m_method.clear();
    m_device.clear();
    m_file.clear();
}

void TDiscMonitor::Watch(const QString& source, bool isImage) {
    stop();
    if (source.isEmpty())
        return;
    if (isImage) {
        watchFile(source);
        return;
    }
    // /dev/cdrom is usually a link; udev names the real node.
    const QString device = QFileInfo(source).canonicalFilePath();
    m_device = device.isEmpty() ? source : device;
    if (!watchWithUdev(m_device))
        startPolling(m_device);
}

bool TDiscMonitor::watchWithUdev(const QString& device) {
    // Without the daemon the kernel's events are not turned into udev events with properties.
    if (!QFileInfo::exists(QStringLiteral("/run/udev/control")))
        return false;
    m_udev = udev_new();
    if (!m_udev)
        return false;
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor ||
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "block", "disk") < 0 ||
        udev_monitor_enable_receiving(m_monitor) < 0) {
        stop();
        m_device = device;
        return false;
    }
    m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TDiscMonitor::onUdevEvent);
    m_method = QStringLiteral("udev");
    return true;
}

void TDiscMonitor::onUdevEvent() {
    udev_device* dev = udev_monitor_receive_device(m_monitor);
    if (!dev)
        return;
    const QString node = QString::fromLocal8Bit(udev_device_get_devnode(dev));
    const char* action = udev_device_get_action(dev);
    const char* changed = udev_device_get_property_value(dev, "DISK_MEDIA_CHANGE");
    const char* media = udev_device_get_property_value(dev, "ID_CDROM_MEDIA");
    const bool ours = node == m_device && action && qstrcmp(action, "change") == 0;
    const bool mediaEvent = (changed && qstrcmp(changed, "1") == 0) || media;
    const bool present = media && qstrcmp(media, "1") == 0;
    udev_device_unref(dev);
    if (ours && mediaEvent) {
        if (present)
            emit arrived();
        else
            emit removed();
    }
}

void TDiscMonitor::startPolling(const QString& device) {
    m_method = QStringLiteral("polling");
    m_poller = std::thread(&TDiscMonitor::pollLoop, this, device.toLocal8Bit());
}

// Polling thread: opens its own libcdio handle on the drive and asks every interval whether
// the medium changed, then whether one is in. The ioctl may block while the drive spins up,
// which is why this does not run on the GUI thread.
void TDiscMonitor::pollLoop(QByteArray device) {
    int wasPresent = -1; // unknown
    while (!m_stopPolling) {
        CdIo_t* p = cdio_open(device.constData(), DRIVER_DEVICE);
        if (p) {
            const bool changed = cdio_get_media_changed(p) == 1;
            const bool present = cdio_get_num_tracks(p) != CDIO_INVALID_TRACK;
            cdio_destroy(p);
            if (wasPresent >= 0 && (changed || present != bool(wasPresent)))
                QMetaObject::invokeMethod(
                    this, [this, present] { present ? emit arrived() : emit removed(); },
                    Qt::QueuedConnection);
            wasPresent = present ? 1 : 0;
        }
        std::unique_lock lock(m_wakeLock);
        m_wake.wait_for(lock, std::chrono::milliseconds(m_pollMs),
                        [this] { return m_stopPolling.load(); });
    }
}

void TDiscMonitor::watchFile(const QString& path) {
    m_file = QFileInfo(path).absoluteFilePath();
    m_method = QStringLiteral("file");
    m_watcher = new QFileSystemWatcher(this);
    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_settle->setInterval(200);
    m_watcher->addPath(m_file);
    // The folder too: a file replaced by a rename drops out of the file watch.
    m_watcher->addPath(QFileInfo(m_file).absolutePath());
    auto changed = [this] { m_settle->start(); };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, changed);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        // Only the image file matters; a file of its own name that comes back is watched anew.
        const bool exists = QFileInfo::exists(m_file);
        const bool watched = m_watcher->files().contains(m_file);
        if (exists != watched) {
            if (exists)
                m_watcher->addPath(m_file);
            m_settle->start();
        }
    });
    connect(m_settle, &QTimer::timeout, this, [this] {
        if (QFileInfo::exists(m_file)) {
            if (!m_watcher->files().contains(m_file))
                m_watcher->addPath(m_file);
            emit arrived();
        } else {
            emit removed();
        }
    });
}
