#include "frmStopQuery.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrmStopQuery::TfrmStopQuery(HCDROM handle, const TQueryCDDBThread::Settings& settings,
                             const TLookupSources& sources, TDiscFieldsModel* model,
                             QWidget* parent)
    : TJobDialog(parent), m_job(new TLookupJob(handle, settings, model, this)) {
    setJob(m_job);
    m_job->SetSources(sources);
    setObjectName(QStringLiteral("frmStopQuery"));
    setWindowTitle(tr("Query CDDB..."));
    lHint = new QLabel(tr("Querying CDDB, please wait..."), this);
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
    bStop = new QPushButton(tr("&Stop"), this);
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
    // The fixed size follows the contents: wide enough that a window manager shows the whole
    // title beside its buttons.
    layout->addStrut(qMax(320, 2 * fontMetrics().horizontalAdvance(windowTitle()) + 160));

    connect(m_job, &TJob::finished, this, &TfrmStopQuery::onFinished);
    connect(m_job, &TLookupJob::releaseChoice, this, &TfrmStopQuery::chooseRelease);
    connect(bStop, &QPushButton::clicked, this, &TfrmStopQuery::reject);
}

void TfrmStopQuery::chooseRelease(const QStringList& descriptions) {
    // Opened, not executed: the job goes on in the event loop once the user has chosen.
    m_choice = new QInputDialog(this);
    m_choice->setObjectName(QStringLiteral("ReleaseChoice"));
    m_choice->setAttribute(Qt::WA_DeleteOnClose);
    m_choice->setWindowTitle(QStringLiteral("MusicBrainz"));
    m_choice->setLabelText(tr("MusicBrainz knows several releases of this disc. "
                              "Which one is it?"));
    m_choice->setComboBoxItems(descriptions);
    m_choice->setOption(QInputDialog::UseListViewForComboBoxItems);
    connect(m_choice, &QInputDialog::finished, this, [this, descriptions](int result) {
        const int index =
            result == QDialog::Accepted ? int(descriptions.indexOf(m_choice->textValue())) : -1;
        m_choice = nullptr;
        m_job->ChooseRelease(index);
    });
    m_choice->open();
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
    bStop->setText(tr("&Close"));
    bStop->setFocus();
}

void TfrmStopQuery::reject() {
    m_job->Stop(); // abandons a running worker; does nothing once the job has finished
    QDialog::reject();
}
