#include "LookupJob.h"

const QString TLookupJob::NoMatchNotice =
    QStringLiteral("No match found,perhaps:\n1.No information in CDDB server\n2.error CDDB "
                   "options\n3.check the network");

TLookupJob::TLookupJob(HCDROM handle, const TQueryCDDBThread::Settings& settings,
                       TDiscFieldsModel* model, QObject* parent)
    : TJob(parent), m_handle(handle), m_settings(settings), m_model(model) {}

TLookupJob::~TLookupJob() {
    if (m_worker)
        m_worker->Abandon();
}

void TLookupJob::Start() {
    assertOwnThread();
    TTOC toc{};
    if (ModifyCDParms(m_handle, CdParmTocMsf, 1) == 0 || ReadTOC(m_handle, &toc) != 1) {
        const QString text = QStringLiteral("Error while reading TOC information!");
        emit message(TJobSeverity::Error, text);
        return finishWith(TJobOutcome::Failed, text);
    }
    m_first = toc.FirstTrack;
    m_last = toc.LastTrack;
    emit hint(QStringLiteral("Querying %1 ...").arg(m_settings.Server));
    m_worker = TQueryCDDBThread::Start(this, m_model, m_first, m_last, m_handle, m_settings);
}

void TLookupJob::Stop() {
    assertOwnThread();
    if (IsFinished())
        return;
    if (m_worker)
        m_worker->Abandon();
    finishWith(TJobOutcome::Stopped);
}

bool TLookupJob::event(QEvent* e) {
    if (e->type() != TCddbMessageEvent::MessageType)
        return TJob::event(e);
    if (IsFinished())
        return true;
    const auto* m = static_cast<const TCddbMessageEvent*>(e);
    m_result = m->How;
    if (m->WParam == TCddbMessageEvent::NoMatch) {
        emit noMatch(m->LParam);
        finishWith(TJobOutcome::Failed, NoMatchNotice);
    } else if (m->How == TCddbMessageEvent::QueryFailed) {
        finishWith(TJobOutcome::Failed, QStringLiteral("The CDDB query failed: %1").arg(m->Detail));
    } else if (m->How == TCddbMessageEvent::NoTitles) {
        finishWith(TJobOutcome::Failed,
                   QStringLiteral("The CDDB records hold no track titles for this disc."));
    } else {
        finishWith(TJobOutcome::Done);
    }
    return true;
}
