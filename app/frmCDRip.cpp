#include "frmCDRip.h"

#include "LabelRows.h"
#include "MessageBoxes.h"
#include "audio/Helpers.h"
#include "encode/OutputFormats.h"
#include "frmRipVerdicts.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TfrmCDRip::TfrmCDRip(HCDROM handle, const TRipPlan& plan, const TAppOptions& options,
                     QWidget* parent)
    : TJobDialog(parent), m_job(new TRipJob(handle, plan, options, this)) {
    setJob(m_job);
    m_job->SetHoldOnError(true);
    setObjectName(QStringLiteral("frmCDRip"));
    setWindowTitle(AppCaption);
    auto* grid = new QGridLayout;
    auto row = [&](int r, const QString& caption, const char* name) {
        return AddValueRow(*grid, this, r, caption, name);
    };
    lCurrentTrack = row(0, tr("Current track:"), "lCurrentTrack");
    lOutputFormat = row(1, tr("Output format:"), "lOutputFormat");
    lSelectedTracks = row(2, tr("Selected tracks:"), "lSelectedTracks");
    lCompleted = row(3, tr("Completed:"), "lCompleted");
    grid->setColumnStretch(1, 1);
    lProgressHint = new QLabel(tr("Extracting..."), this);
    lProgressHint->setObjectName(QStringLiteral("lProgressHint"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(true);
    ProgressBar1->setAlignment(Qt::AlignCenter);
    ProgressBar1->setFormat(tr("Initializing..."));
    bStop = new QPushButton(tr("Stop"), this);
    bStop->setObjectName(QStringLiteral("bStop"));
    // Track N+1 is read while track N is encoded: each has a bar, and one shows the whole rip.
    auto bar = [this](const char* name, const QString& format) {
        auto* b = new QProgressBar(this);
        b->setObjectName(QLatin1String(name));
        b->setRange(0, 100);
        b->setValue(0);
        b->setAlignment(Qt::AlignCenter);
        b->setFormat(format);
        return b;
    };
    ProgressEncode = bar("ProgressEncode", tr("Encoding: waiting for a track"));
    ProgressOverall = bar("ProgressOverall", tr("Overall: %p%"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bStop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(lProgressHint);
    layout->addWidget(ProgressBar1);
    layout->addWidget(ProgressEncode);
    layout->addWidget(ProgressOverall);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    lCurrentTrack->setText(plan.Tracks.empty() ? QString() : plan.Tracks.front().Title);
    QStringList formats;
    bool encodes = false;
    for (int f : plan.Formats.empty() ? std::vector<int>{plan.Format} : plan.Formats) {
        formats << FormatName(f);
        encodes = encodes || f != FormatWav;
    }
    lOutputFormat->setText(formats.join(QStringLiteral(", ")));
    ProgressEncode->setVisible(encodes);
    lSelectedTracks->setText(QString::number(plan.Tracks.size()));
    lCompleted->setText(QStringLiteral("0"));

    // With an encoder the reading bar follows the reading only; without one the rip's bar is
    // the one bar there is.
    connect(m_job, &TJob::progress, this, [this](int percent) {
        if (ProgressEncode->isHidden())
            ProgressBar1->setValue(percent);
    });
    connect(m_job, &TRipJob::readProgress, this, [this](int percent) {
        if (!ProgressEncode->isHidden())
            ProgressBar1->setValue(percent);
    });
    connect(m_job, &TJob::hint, lProgressHint, &QLabel::setText);
    connect(m_job, &TRipJob::barCaption, this, [this](const QString& caption) {
        // With an encoder the reading bar names the track it reads (trackStarted).
        if (!ProgressEncode->isHidden())
            return;
        ProgressBar1->setFormat(caption);
        ProgressBar1->setValue(0);
    });
    connect(m_job, &TRipJob::encodeProgress, this, [this](int number, int percent) {
        ProgressEncode->setFormat(tr("Encoding track %1: %p%").arg(number));
        ProgressEncode->setValue(percent);
    });
    connect(m_job, &TRipJob::encodingStarted, this,
            [this](int number, const QString&, const QString&) {
                ProgressEncode->setFormat(tr("Encoding track %1: %p%").arg(number));
                ProgressEncode->setValue(0);
            });
    connect(m_job, &TRipJob::overallProgress, ProgressOverall, &QProgressBar::setValue);
    connect(m_job, &TRipJob::trackStarted, this,
            [this](int number, const QString& title, int completed) {
                if (!ProgressEncode->isHidden()) {
                    ProgressBar1->setFormat(tr("Reading track %1: %p%").arg(number));
                    ProgressBar1->setValue(0);
                }
                lCurrentTrack->setText(title);
                lCompleted->setText(QString::number(completed));
            });
    connect(m_job, &TRipJob::trackFinished, this,
            [this] { lCompleted->setText(QString::number(m_job->Completed())); });
    connect(m_job, &TJob::message, this, &TfrmCDRip::onMessage);
    connect(m_job, &TRipJob::trackVerdict, this,
            [this](int number, const QString& title, const QString& verdict) {
                m_verdicts.push_back({number, title, verdict});
            });
    // One log per format: each is named.
    connect(m_job, &TRipJob::logWritten, this, [this](const QString& path) { m_logPaths << path; });
    connect(m_job, &TJob::finished, this, &TfrmCDRip::onFinished);
    // finished(Stopped) closes the dialog once its messages are read.
    connect(bStop, &QPushButton::clicked, this, &TfrmCDRip::reject);
}

void TfrmCDRip::onMessage(TJobSeverity severity, const QString& text) {
    const auto icon = IconOf(severity);
    ++m_openBoxes;
    // A failed track's box holds the rip: the next track starts once it is dismissed.
    ShowMessage(this, icon, text, [this, severity] {
        --m_openBoxes;
        if (severity == TJobSeverity::Error)
            m_job->Acknowledge();
        closeWhenRead();
    });
}

void TfrmCDRip::onFinished() {
    bStop->setEnabled(false);
    if (!m_verdicts.empty() || !m_logPaths.isEmpty()) {
        // The dialog stays until this is read, as with every message.
        auto* verdicts = new TfrmRipVerdicts(this);
        verdicts->setAttribute(Qt::WA_DeleteOnClose);
        // A track not checked shows why ("not checked: host not found").
        const QString note = m_job->DatabaseNote();
        // The job's verdicts and note come in the user's language, this word with them.
        const QString notChecked = QCoreApplication::translate("TArVerdict", "not checked");
        for (const TVerdict& v : m_verdicts)
            verdicts->AddTrack(v.Number, v.Title,
                               v.Text.startsWith(notChecked) && note.startsWith(notChecked)
                                   ? note + v.Text.mid(notChecked.size())
                                   : v.Text);
        verdicts->SetLogs(m_logPaths);
        ++m_openBoxes;
        connect(verdicts, &QDialog::finished, this, [this] {
            --m_openBoxes;
            closeWhenRead();
        });
        verdicts->open();
    }
    closeWhenRead();
}

// The dialog closes when the job has finished and every message it showed has been read.
void TfrmCDRip::closeWhenRead() {
    if (m_job->IsFinished() && m_openBoxes == 0)
        done(m_job->Outcome() == TJobOutcome::Done ? Accepted : Rejected);
}
