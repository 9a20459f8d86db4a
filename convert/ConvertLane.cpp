#include "convert/ConvertLane.h"

#include "audio/ACS_Tags.h"
#include "audio/ACS_Wave.h"
#include "audio/Genres.h"
#include "cdrip/Tid3tag.h"
#include "codecs/ACS_WinMedia.h"
#include "codecs/ACS_smpeg.h"
#include "convert/ConvertJob.h"
#include "convert/ConvertJobReport.h"
#include "settings/EncoderConfig.h"
#include "settings/Helpers.h"

#include <QCoreApplication>
#include <QFile>
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

// The track text of a tag as a number: "7" and "7/12" give 7, anything else 0.
quint8 TrackNumberOf(const QString& text) {
    bool ok = false;
    const int n = text.section(QLatin1Char('/'), 0, 0).trimmed().toInt(&ok);
    return ok && n > 0 && n < 256 ? quint8(n) : quint8(0);
}

} // namespace

TConvertLane::TConvertLane(TConvertJob* job, int number) : m_job(job), m_number(number) {
    m_waveIn = new TWaveIn(this);
    m_mp3In = new TMP3In(this);
    m_wmIn = new TWMIn(this);
}

TConvertLane::~TConvertLane() {
    StopOutput();
}

void TConvertLane::Kick() {
    post(0);
}

void TConvertLane::post(int wParam, int outcome, const QString& text) {
    QCoreApplication::postEvent(this, new TConvertStep(wParam, outcome, text));
}

void TConvertLane::StopOutput() {
    m_stopped = true;
    for (TAuFileOut* out : m_outputs)
        if (out)
            out->Stop(false);
    QCoreApplication::removePostedEvents(this, ConvertStepEvent);
}

TAuFileOut* TConvertLane::OutputOf(int format) {
    if (format < FormatMp3 || format > FormatApe)
        throw EAuException(QStringLiteral("Unknown output format %1").arg(format));
    TAuFileOut*& out = m_outputs[format];
    if (out)
        return out;
    out = CreateFormatOutput(format, this);
    out->SetOnDone([this](TAuOutput* sender) { outputDone(sender); });
    out->SetOnProgress([this](TAuOutput* sender) {
        if (m_current >= 0 && sender->Progress() >= 0)
            m_job->m_report->Progress(m_number, m_current, sender->Progress());
    });
    return out;
}

void TConvertLane::outputDone(TAuOutput* sender) {
    // The next step runs as its own event, never inside the dispatcher's delivery.
    const QString failure = sender->FailureText();
    post(1, int(failure.isEmpty() ? TConvertOutcome::Converted : TConvertOutcome::Failed), failure);
}

bool TConvertLane::event(QEvent* e) {
    if (e->type() != ConvertStepEvent)
        return QObject::event(e);
    const auto* s = static_cast<TConvertStep*>(e);
    // The dialog swallows whatever fails in here; so does the lane, reporting it against the
    // file it belongs to.
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
    // A WMA (or anything FFmpeg read) turned into MP3 gets an ID3v1 tag from the input's texts.
    if (outcome == int(TConvertOutcome::Converted) && m_running && m_input == m_wmIn &&
        m_output == m_outputs[FormatMp3])
        writeId3v1FromInput(output);
    // What a failed run left behind is no converted file; it would pass for one.
    if (outcome == int(TConvertOutcome::Failed) && m_running)
        QFile::remove(output);
    m_current = -1;
    m_running = false;
    m_job->releaseOutput(output);
    m_job->fileFinished(m_number, index, input, output, outcome, text);
}

void TConvertLane::writeId3v1FromInput(const QString& mp3) {
    const TId3v2Tags* t = m_wmIn->Id3v2Tags();
    Tid3tag tag;
    tag.SetTitle(t->Title());
    tag.SetArtist(t->Artist());
    tag.SetAlbum(t->Album());
    tag.SetYear(t->Year());
    tag.SetComment(t->Comment());
    // The genre box position of the first name equal to the text ignoring case; none is 255.
    tag.Genre = GenreByte(GenreIndexOf(t->Genre().trimmed(), Qt::CaseInsensitive) + 1);
    tag.SetTrack(TrackNumberOf(t->Track()));
    tag.WriteTag(mp3);
}

bool TConvertLane::beginFile(int index) {
    const QString input = m_job->m_files[index];
    const QString output = m_job->OutputPathOf(input);
    if (!m_job->claimOutput(output)) {
        // Another lane is writing the same output: wait until it is done, then ask.
        m_waiting = index;
        return false;
    }
    m_current = index;
    m_outputPath = output;
    m_running = false;
    m_job->m_report->FileStarted(m_number, index, input, output, m_job->Completed());
    // Writing over the file being read would destroy it before it is read.
    if (QFileInfo(output).exists() &&
        QFileInfo(output).canonicalFilePath() == QFileInfo(input).canonicalFilePath()) {
        post(1, int(TConvertOutcome::Failed),
             QStringLiteral("%1 would be written over itself").arg(input));
        return true;
    }
    if (QFileInfo::exists(output) &&
        !m_job->m_report->AskOverwrite(output + QStringLiteral(" has existed, overite it?"),
                                       output)) {
        post(1, int(TConvertOutcome::Skipped));
        return true;
    }
    startCurrent();
    return true;
}

void TConvertLane::startCurrent() {
    const QString input = m_job->m_files[m_current];
    const TConvertRoute& route = m_job->m_route;
    switch (route.Input) {
    case TConvertInput::Wave:
        m_input = m_waveIn;
        break;
    case TConvertInput::MP3:
        m_input = m_mp3In;
        break;
    case TConvertInput::WM:
        m_input = m_wmIn;
        break;
    case TConvertInput::ByFileName:
        m_input = QFileInfo(input).suffix().compare(QLatin1String("wav"), Qt::CaseInsensitive) == 0
                      ? static_cast<TAuInput*>(m_waveIn)
                      : static_cast<TAuInput*>(m_wmIn);
        break;
    }
    auto* fileIn = static_cast<TAuFileIn*>(m_input);
    fileIn->SetFileName(input);
    m_output = OutputOf(route.Format);
    m_output->SetInput(m_input);
    m_output->SetFileName(m_outputPath);
    const QString title = QFileInfo(m_outputPath).completeBaseName();
    ConfigureFormatOutput(*m_output, route.Format, m_job->m_disc, title, 0);
    if (route.Format == FormatWma) {
        // An MP3 (or anything FFmpeg reads) hands its texts to the WMA; a WAV has none.
        auto* wma = static_cast<TWMAOut*>(m_output);
        if (m_input == m_mp3In || m_input == m_wmIn)
            wma->SetId3v2Tags(*static_cast<TWMIn*>(m_input)->Id3v2Tags());
        else
            wma->SetId3v2Tags(TId3v2Tags());
    }
    m_output->Start();
    m_running = true;
}
