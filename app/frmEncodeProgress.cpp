#include "frmEncodeProgress.h"

#include "LabelRows.h"
#include "MessageBoxes.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

TConvertRoute routeOf(int kind) {
    TConvertRoute route;
    RouteOfKind(kind, route); // other numbers keep the WAV to MP3 route, as the menu's default
    return route;
}

QProgressBar* makeBar(QWidget* parent, const char* name) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(true);
    bar->setAlignment(Qt::AlignCenter);
    return bar;
}

} // namespace

TfrmEncodeProgress::TfrmEncodeProgress(const QStringList& files, int kind,
                                       const TAppOptions& options, const TDiscFields& disc,
                                       int lanes, QWidget* parent)
    : TJobDialog(parent),
      m_job(new TConvertJob(files, routeOf(kind), options, disc,
                            qBound(1, lanes, qMax(1, int(files.size()))), this)) {
    setJob(m_job);
    setObjectName(QStringLiteral("frmEncodeProgress"));
    setWindowTitle(AppCaption);
    auto* grid = new QGridLayout;
    auto row = [&](int r, const QString& caption, const char* name) {
        return AddValueRow(*grid, this, r, caption, name);
    };
    lInputFileName = row(0, tr("Current Input File:"), "lInputFileName");
    lOutputFileName = row(1, tr("Current Output File:"), "lOutputFileName");
    lSelectedTracks = row(2, tr("Selected files:"), "lSelectedTracks");
    lCompleted = row(3, tr("Completed:"), "lCompleted");
    lOutputFolder = row(4, tr("Output Folder:"), "lOutputFolder");
    grid->setColumnStretch(1, 1);
    lProgressHint = new QLabel(tr("Encoding..."), this);
    lProgressHint->setObjectName(QStringLiteral("lProgressHint"));
    ProgressBar1 = makeBar(this, "ProgressBar1");
    ProgressBar1->setFormat(QString());

    m_running = new QGroupBox(tr("Converting now"), this);
    auto* running = m_running;
    auto* laneGrid = new QGridLayout(running);
    for (int i = 0; i < m_job->LaneCount(); ++i) {
        auto* name = new QLabel(running);
        name->setTextFormat(Qt::PlainText);
        name->setMinimumWidth(200);
        auto* bar = makeBar(running, "LaneBar");
        laneGrid->addWidget(name, i, 0);
        laneGrid->addWidget(bar, i, 1);
        LaneLines.emplace_back(name, bar);
    }
    laneGrid->setColumnStretch(0, 1);
    running->setVisible(m_job->LaneCount() > 1);

    mFailures = new QPlainTextEdit(this);
    mFailures->setObjectName(QStringLiteral("mFailures"));
    mFailures->setReadOnly(true);
    mFailures->hide();
    bStop = new QPushButton(tr("&Stop"), this);
    bStop->setObjectName(QStringLiteral("bStop"));
    bStop->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bStop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(running);
    layout->addWidget(lProgressHint);
    layout->addWidget(ProgressBar1);
    layout->addWidget(mFailures, 1);
    layout->addStretch(0);
    layout->addLayout(buttons);
    setMinimumWidth(460);

    lSelectedTracks->setText(QString::number(files.size()));
    lCompleted->setText(QStringLiteral("0"));
    lOutputFolder->setText(QDir::toNativeSeparators(options.OutputFolder));

    connect(m_job, &TConvertJob::fileStarted, this, &TfrmEncodeProgress::onFileStarted);
    connect(m_job, &TConvertJob::fileProgress, this, [this](int lane, int, int percent) {
        LaneLines[size_t(lane)].second->setValue(percent);
        if (m_job->LaneCount() == 1)
            ProgressBar1->setValue(percent);
    });
    connect(m_job, &TConvertJob::fileFinished, this,
            [this](int lane, int, const QString& input, const QString&, TConvertOutcome outcome,
                   const QString& text) { onFileFinished(lane, input, outcome, text); });
    connect(m_job, &TJob::message, this, [this](TJobSeverity severity, const QString& text) {
        ShowMessage(this, IconOf(severity), text);
    });
    connect(m_job, &TJob::finished, this, [this](TJobOutcome outcome) { onFinished(outcome); });
    // finished(Stopped) closes; the files stay as far as they were written.
    connect(bStop, &QPushButton::clicked, this, &TfrmEncodeProgress::reject);
}

void TfrmEncodeProgress::askQuestion(const QString& text, TJobButtons buttons) {
    if (m_job->PendingQuestion() != TJobQuestion::ReplaceFile)
        return TJobDialog::askQuestion(text, buttons);
    auto* box = new QMessageBox(QMessageBox::Question, AppCaption, text,
                                QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No |
                                    QMessageBox::NoToAll | QMessageBox::Cancel,
                                this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->button(QMessageBox::Yes)->setText(tr("&Replace"));
    box->button(QMessageBox::YesToAll)->setText(tr("Replace &All"));
    box->button(QMessageBox::No)->setText(tr("&Skip"));
    box->button(QMessageBox::NoToAll)->setText(tr("S&kip All"));
    box->button(QMessageBox::Cancel)->setText(tr("&Cancel"));
    box->setDefaultButton(QMessageBox::No); // keeping the file is the safe choice
    box->setEscapeButton(QMessageBox::Cancel);
    QPointer<TConvertJob> job = m_job;
    connect(box, &QMessageBox::finished, box, [box, job](int) {
        if (!job)
            return;
        QAbstractButton* clicked = box->clickedButton();
        switch (clicked ? box->standardButton(clicked) : QMessageBox::Cancel) {
        case QMessageBox::Yes:
            return job->Answer(TJobAnswer::Yes);
        case QMessageBox::YesToAll:
            return job->AnswerOverwriteForAll(true);
        case QMessageBox::No:
            return job->Answer(TJobAnswer::No);
        case QMessageBox::NoToAll:
            return job->AnswerOverwriteForAll(false);
        default:
            return job->Answer(TJobAnswer::Cancel); // the conversion stops
        }
    });
    PresentBox(box);
}

void TfrmEncodeProgress::onFileStarted(int lane, int, const QString& input, const QString& output,
                                       int completed) {
    const QString name = QFileInfo(input).fileName();
    lInputFileName->setText(name);
    lOutputFileName->setText(QFileInfo(output).fileName());
    lCompleted->setText(QString::number(completed));
    LaneLines[size_t(lane)].first->setText(name);
    LaneLines[size_t(lane)].second->setValue(0);
    ProgressBar1->setFormat(lProgressHint->text());
    if (m_job->LaneCount() == 1)
        ProgressBar1->setValue(0);
}

void TfrmEncodeProgress::onFileFinished(int lane, const QString& input, TConvertOutcome outcome,
                                        const QString& text) {
    lCompleted->setText(QString::number(m_job->Completed()));
    LaneLines[size_t(lane)].first->clear();
    LaneLines[size_t(lane)].second->setValue(0);
    if (m_job->LaneCount() > 1)
        ProgressBar1->setValue(100 * m_job->Completed() / qMax(1, int(m_job->Files().size())));
    if (outcome == TConvertOutcome::Failed)
        m_failures << QDir::toNativeSeparators(input) + QStringLiteral(": ") + text;
    else if (outcome == TConvertOutcome::Damaged)
        m_damaged << QDir::toNativeSeparators(input) + QStringLiteral(": ") + text;
}

void TfrmEncodeProgress::onFinished(TJobOutcome outcome) {
    if (outcome == TJobOutcome::Stopped || outcome == TJobOutcome::Cancelled) {
        done(Rejected);
        return;
    }
    // The dialog stays with the summary until the user closes it.
    lInputFileName->clear();
    lOutputFileName->clear();
    m_running->hide();
    const QString summary = m_job->Damaged()
                                ? tr("Converted %1, skipped %2, failed %3, damaged %4.")
                                      .arg(m_job->Converted())
                                      .arg(m_job->Skipped())
                                      .arg(m_job->Failed())
                                      .arg(m_job->Damaged())
                                : tr("Converted %1, skipped %2, failed %3.")
                                      .arg(m_job->Converted())
                                      .arg(m_job->Skipped())
                                      .arg(m_job->Failed());
    lProgressHint->setText(summary);
    ProgressBar1->setFormat(tr("Finished"));
    ProgressBar1->setValue(100);
    // A damaged file's output is kept, so it is listed apart from the failures.
    QStringList sections;
    if (!m_failures.isEmpty())
        sections << tr("Failed:\n%1").arg(m_failures.join(QLatin1Char('\n')));
    if (!m_damaged.isEmpty())
        sections << tr("Damaged:\n%1").arg(m_damaged.join(QLatin1Char('\n')));
    if (!sections.isEmpty()) {
        mFailures->setPlainText(sections.join(QStringLiteral("\n\n")));
        mFailures->show();
    }
    bStop->setText(tr("&Close"));
    bStop->setFocus();
}
