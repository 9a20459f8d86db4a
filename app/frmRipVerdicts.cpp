#include "frmRipVerdicts.h"

#include "MessageBoxes.h"
#include "audio/Helpers.h"

#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

TfrmRipVerdicts::TfrmRipVerdicts(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmRipVerdicts"));
    setWindowTitle(tr("Rip finished - Free Sondrel"));
    auto* caption = new QLabel(tr("AccurateRip verdicts of the ripped tracks:"), this);
    lvTracks = new QTreeWidget(this);
    lvTracks->setObjectName(QStringLiteral("lvTracks"));
    lvTracks->setHeaderLabels({tr("Track"), tr("Title"), tr("Verdict")});
    lvTracks->setRootIsDecorated(false);
    lvTracks->setUniformRowHeights(true);
    lvTracks->setAlternatingRowColors(true);
    lvTracks->header()->setStretchLastSection(true);
    caption->setBuddy(lvTracks);
    lLogs = new QLabel(this);
    lLogs->setObjectName(QStringLiteral("lLogs"));
    lLogs->setTextFormat(Qt::PlainText);
    lLogs->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lLogs->setWordWrap(true);
    bOpenLog = new QPushButton(tr("Open &Log"), this);
    bOpenLog->setObjectName(QStringLiteral("bOpenLog"));
    bOK = new QPushButton(tr("OK"), this);
    bOK->setObjectName(QStringLiteral("bOK"));
    bOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bOpenLog);
    buttons->addStretch(1);
    buttons->addWidget(bOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(lvTracks, 1);
    layout->addWidget(lLogs);
    layout->addLayout(buttons);
    // A list of 99 tracks scrolls inside a dialog that fits on any screen.
    resize(720, 380);
    bOpenLog->setEnabled(false);
    connect(bOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(bOpenLog, &QPushButton::clicked, this, &TfrmRipVerdicts::openLog);
}

void TfrmRipVerdicts::AddTrack(int number, const QString& title, const QString& verdict) {
    auto* item = new QTreeWidgetItem(lvTracks, {TwoDigit(number), title, verdict});
    item->setToolTip(2, verdict);
    if (lvTracks->topLevelItemCount() == 1) {
        lvTracks->setCurrentItem(item);
        lvTracks->setColumnWidth(0, 56);
        lvTracks->setColumnWidth(1, 170);
    }
}

void TfrmRipVerdicts::SetLogs(const QStringList& paths) {
    m_logs = paths;
    QStringList shown;
    for (const QString& p : paths)
        shown << QDir::toNativeSeparators(p);
    lLogs->setText(paths.isEmpty() ? tr("No rip log was written.")
                   : paths.size() == 1
                       ? tr("The rip log is %1").arg(shown.first())
                       : tr("The rip logs are:\n%1").arg(shown.join(QLatin1Char('\n'))));
    bOpenLog->setEnabled(!paths.isEmpty());
}

void TfrmRipVerdicts::openLog() {
    if (m_logs.isEmpty())
        return;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(m_logs.first())))
        ShowMessage(this, QMessageBox::Information,
                    tr("No program to show the log was found. The log is %1")
                        .arg(QDir::toNativeSeparators(m_logs.first())));
}
