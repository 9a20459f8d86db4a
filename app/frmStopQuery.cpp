#include "frmStopQuery.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrmStopQuery::TfrmStopQuery(HCDROM handle, const TQueryCDDBThread::Settings& settings,
                             TDiscFieldsModel* model, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_job(new TLookupJob(handle, settings, model, this)) {
    setObjectName(QStringLiteral("frmStopQuery"));
    setWindowTitle(QStringLiteral("Query CDDB..."));
    lHint = new QLabel(QStringLiteral("Query CDDB, please waiting..."), this);
    lHint->setObjectName(QStringLiteral("lHint"));
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    lNotice = new QLabel(Panel1);
    lNotice->setObjectName(QStringLiteral("lNotice"));
    lNotice->setTextFormat(Qt::PlainText);
    lNotice->setWordWrap(true);
    lNotice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->addWidget(lNotice);
    Panel1->hide();
    bStop = new QPushButton(QStringLiteral("&Stop"), this);
    bStop->setObjectName(QStringLiteral("bStop"));
    bStop->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bStop);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lHint);
    layout->addWidget(Panel1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumWidth(320);

    connect(m_job, &TJob::finished, this, &TfrmStopQuery::onFinished);
    connect(bStop, &QPushButton::clicked, this, &TfrmStopQuery::reject);
}

TfrmStopQuery::~TfrmStopQuery() {
    // The job abandons its worker as it goes (it is a child of the dialog).
    if (!m_job->IsFinished())
        m_job->Stop();
}

void TfrmStopQuery::Start() {
    open();
    m_job->Start();
}

void TfrmStopQuery::onFinished(TJobOutcome outcome, const QString& detail) {
    if (outcome == TJobOutcome::Done) {
        accept();
        return;
    }
    if (outcome == TJobOutcome::Stopped)
        return;
    // No match, a failed query or records without titles: the reason stays on show and the
    // lookup dialog stays open for another try.
    lHint->hide();
    lNotice->setText(detail);
    Panel1->show();
    bStop->setText(QStringLiteral("&Close"));
    bStop->setFocus();
}

void TfrmStopQuery::reject() {
    m_job->Stop(); // abandons a running worker; does nothing once the job has finished
    QDialog::reject();
}
