#include "convert/ConvertLane.h"

#include "audio/ACS_Wave.h"
#include "audio/Helpers.h"
#include "codecs/ACS_WinMedia.h"
#include "codecs/ACS_smpeg.h"
#include "convert/ConvertJob.h"
#include "encode/EncodeStep.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

// The 2130 event: wParam 0 takes the next file, 1 says the current one is finished or skipped
// (with how it ended and, for a failure, why).
class TConvertStep : public QEvent {
public:
    TConvertStep(int wParam, int outcome, const QString& text)
        : QEvent(ConvertStepEvent), WParam(wParam), Outcome(outcome), Text(text) {}
    int WParam;
    int Outcome;
    QString Text;
};

} // namespace

TConvertLane::TConvertLane(TConvertJob* job, int number) : m_job(job), m_number(number) {
    m_waveIn = new TWaveIn(this);
    m_mp3In = new TMP3In(this);
    m_wmIn = new TWMIn(this);
    m_step = new TEncodeStep(job->Options(), this);
    m_step->SetDoneDelay(job->Pace());
    QObject::connect(m_step, &TEncodeStep::progress, this, [this](int percent) {
        if (m_current >= 0) {
            emit m_job->fileProgress(m_number, m_current, percent);
            emit m_job->progress(percent);
        }
    });
    QObject::connect(
        m_step, &TEncodeStep::finished, this, [this](const QString& path, const QString& failure) {
            // Another job may have taken the name meanwhile: the file has the next free one.
            m_writtenPath = path;
            if (failure.isEmpty() && m_current >= 0) {
                m_job->m_loudness[size_t(m_current)] = m_step->LastLoudness();
                m_job->m_writtenPaths[size_t(m_current)] = path;
            }
            if (failure.isEmpty() && !m_step->Damage().isEmpty())
                return post(1, int(TConvertOutcome::Damaged),
                            QCoreApplication::translate("TConvertLane",
                                                        "%1; what could be read is kept in %2")
                                .arg(m_step->Damage(), path));
            post(1, int(failure.isEmpty() ? TConvertOutcome::Converted : TConvertOutcome::Failed),
                 failure);
        });
}

TConvertLane::~TConvertLane() {
    StopOutput();
}

void TConvertLane::Kick() {
    post(0);
}

const QString& TConvertLane::PartialPath() const {
    return m_step->PartialPath();
}

void TConvertLane::SetDoneDelay(int ms) {
    m_step->SetDoneDelay(ms);
}

void TConvertLane::post(int wParam, int outcome, const QString& text) {
    QCoreApplication::postEvent(this, new TConvertStep(wParam, outcome, text));
}

void TConvertLane::StopOutput() {
    m_stopped = true;
    m_step->Stop();
    QCoreApplication::removePostedEvents(this, ConvertStepEvent);
}

bool TConvertLane::event(QEvent* e) {
    if (e->type() != ConvertStepEvent)
        return QObject::event(e);
    const auto* s = static_cast<TConvertStep*>(e);
    // Whatever fails in here is reported against the file it belongs to.
    try {
        step(s->WParam, s->Outcome, s->Text);
    } catch (const EAuException& ex) {
        if (m_current >= 0)
            post(1, int(TConvertOutcome::Failed), ex.Message());
    } catch (const std::exception& ex) {
        if (m_current >= 0)
            post(1, int(TConvertOutcome::Failed), QString::fromLocal8Bit(ex.what()));
    }
    return true;
}

void TConvertLane::step(int wParam, int outcome, const QString& text) {
    if (m_stopped || m_job->IsFinished())
        return;
    if (wParam == 1 && m_current >= 0)
        finishCurrent(outcome, text);
    if (m_current >= 0)
        return; // a file is still running (a stray wake-up)
    int index = m_waiting;
    m_waiting = -1;
    if (index < 0)
        index = m_job->takeNextFile();
    if (index < 0) {
        m_job->laneIdle();
        return;
    }
    beginFile(index);
}

void TConvertLane::finishCurrent(int outcome, const QString& text) {
    const int index = m_current;
    const QString input = m_job->m_files[index];
    const QString output = m_outputPath;
    const QString written = m_writtenPath.isEmpty() ? output : m_writtenPath;
    m_current = -1;
    m_job->releaseOutput(output);
    m_job->fileFinishedOnLane(m_number, index, input, written, TConvertOutcome(outcome), text);
}

void TConvertLane::beginFile(int index) {
    const QString input = m_job->m_files[index];
    const QString output = m_job->OutputPathAt(index);
    if (!m_job->claimOutput(output)) {
        // Another lane is writing the same output: wait until it is done, then ask.
        m_waiting = index;
        return;
    }
    m_current = index;
    m_outputPath = output;
    m_writtenPath.clear();
    m_mayReplace = false;
    m_job->fileBegun(m_number, index, input, output);
    // Replacing the file being read (by its own name, a hard link or a symbolic link) would
    // destroy it.
    if (SameFile(input, output)) {
        post(1, int(TConvertOutcome::Failed),
             QCoreApplication::translate("TConvertLane", "%1 would be written over itself")
                 .arg(input));
        return;
    }
    // Anything of that name counts, a dangling symbolic link too: it is replaced only with
    // consent, and never written through.
    if (NameTaken(output))
        return m_job->askOverwrite(this, output);
    startCurrent();
}

void TConvertLane::OverwriteAnswered(bool overwrite) {
    if (m_stopped || m_current < 0)
        return;
    m_mayReplace = overwrite;
    if (overwrite)
        startCurrent();
    else
        post(1, int(TConvertOutcome::Skipped));
}

void TConvertLane::startCurrent() {
    const QString input = m_job->m_files[m_current];
    const TConvertRoute& route = m_job->Route();
    TAuFileIn* in = nullptr;
    switch (route.Input) {
    case TConvertInput::Wave:
        in = m_waveIn;
        break;
    case TConvertInput::MP3:
        in = m_mp3In;
        break;
    case TConvertInput::WM:
        in = m_wmIn;
        break;
    case TConvertInput::ByFileName:
        in = QFileInfo(input).suffix().compare(QLatin1String("wav"), Qt::CaseInsensitive) == 0
                 ? static_cast<TAuFileIn*>(m_waveIn)
                 : static_cast<TAuFileIn*>(m_wmIn);
        break;
    }
    in->SetFileName(input);
    TEncodeRequest request;
    request.Input = in;
    request.Format = route.Format;
    request.Path = m_outputPath;
    request.MayReplace = m_mayReplace;
    request.Disc = m_job->DiscFields();
    request.Title = QFileInfo(m_outputPath).completeBaseName();
    request.Track = 0;
    // An MP3 or WMA (anything FFmpeg reads) hands its texts on; a WAV has none.
    request.Texts = in == m_waveIn ? TEncodeRequest::NoTexts : TEncodeRequest::InputTexts;
    request.MeasureGain = m_job->m_gainMode != TReplayGain::TMode::Off;
    m_step->Start(request);
}
