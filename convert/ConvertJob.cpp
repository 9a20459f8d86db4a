#include "convert/ConvertJob.h"

#include "audio/ArgvPaths.h"
#include "audio/Helpers.h"
#include "convert/ConvertLane.h"
#include "encode/OutputFormats.h"
#include "encode/OutputNaming.h"

#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <map>

TConvertJob::TConvertJob(const QStringList& files, const TConvertRoute& route,
                         const TAppOptions& options, const TDiscFields& disc, int lanes,
                         QObject* parent)
    : TJob(parent), m_files(files), m_route(route), m_options(options), m_disc(disc) {
    // A name another file of the batch has already gets " (2)" and so on.
    QSet<QString> taken;
    const QString extension = FormatExtension(m_route.Format);
    for (const QString& file : m_files) {
        const QString plain = OutputPathOf(file);
        m_outputPaths.push_back(UniqueInSet(plain.chopped(extension.size()), extension, &taken));
    }
    m_loudness.assign(size_t(m_files.size()), nullptr);
    m_writtenPaths.assign(size_t(m_files.size()), QString());
    if (!TReplayGain::ParseMode(m_options.ReplayGainMode, &m_gainMode))
        m_gainMode = TReplayGain::TMode::Off;
    const int count = std::max(1, lanes);
    for (int i = 0; i < count; ++i)
        m_lanes.push_back(std::make_unique<TConvertLane>(this, i));
}

TConvertJob::~TConvertJob() {
    for (auto& lane : m_lanes)
        lane->StopOutput();
}

int TConvertJob::LaneCountFor(int jobsSetting) {
    return jobsSetting > 0 ? std::min(jobsSetting, 64) : std::max(1, QThread::idealThreadCount());
}

void TConvertJob::SetPace(int ms) {
    assertOwnThread();
    m_pace = std::max(0, ms);
    for (auto& lane : m_lanes)
        lane->SetDoneDelay(m_pace);
}

QString TConvertJob::OutputPathOf(const QString& input) const {
    // The input's name made a name every file system here takes, with room for the partial
    // suffix (a name near 255 bytes would leave none).
    const QString extension = FormatExtension(m_route.Format);
    QString base = SafeNameComponent(QFileInfo(DisplayPath(input)).completeBaseName(),
                                     m_options.FatSafeNames, NameBaseBudget(extension));
    if (base.isEmpty())
        base = QStringLiteral("_");
    return WithTrailingBackslash(m_options.OutputFolder) + base + extension;
}

void TConvertJob::Start() {
    assertOwnThread();
    if (m_started)
        return;
    m_started = true;
    if (m_files.isEmpty())
        return finish(false);
    for (int i = 0; i < m_files.size(); ++i)
        if (m_outputPaths[size_t(i)] != OutputPathOf(m_files[i]))
            emit message(TJobSeverity::Info,
                         tr("%1 has the name of an earlier file of the batch: it is "
                            "converted into %2")
                             .arg(m_files[i], m_outputPaths[size_t(i)]));
    withOutputFolder(m_options.OutputFolder, [this] { begin(); });
}

void TConvertJob::begin() {
    for (auto& lane : m_lanes)
        lane->Kick();
}

void TConvertJob::Stop() {
    assertOwnThread();
    if (IsFinished())
        return;
    m_questions.clear();
    for (auto& lane : m_lanes) {
        const int index = lane->CurrentFile();
        lane->StopOutput();
        if (index >= 0) {
            ++m_failed;
            emit fileFinished(lane->Number(), index, m_files[index], OutputPathAt(index),
                              TConvertOutcome::Stopped, lane->PartialPath());
        }
    }
    finish(true);
}

int TConvertJob::takeNextFile() {
    return m_fileIndex < m_files.size() ? m_fileIndex++ : -1;
}

bool TConvertJob::claimOutput(const QString& path) {
    const QString key = QFileInfo(path).absoluteFilePath();
    if (m_busyOutputs.contains(key))
        return false;
    m_busyOutputs.insert(key);
    return true;
}

void TConvertJob::releaseOutput(const QString& path) {
    m_busyOutputs.remove(QFileInfo(path).absoluteFilePath());
    // A lane waiting for this output may go on now; the others ignore the wake-up.
    for (auto& lane : m_lanes)
        if (lane->IsWaiting())
            lane->Kick();
}

void TConvertJob::askOverwrite(TConvertLane* lane, const QString& output) {
    m_questions.emplace_back(lane, output);
    if (!m_asking)
        askNext();
}

void TConvertJob::askNext() {
    while (!m_questions.empty() && !IsFinished()) {
        const auto [lane, output] = m_questions.front();
        m_questions.pop_front();
        if (m_replaceAll) {
            lane->OverwriteAnswered(*m_replaceAll);
            continue;
        }
        m_asking = true;
        m_askedOutput = output;
        ask(TJobQuestion::ReplaceFile, tr("%1 exists already. Replace it?").arg(output),
            TJobButtons::YesNoCancel, [this, lane = lane](TJobAnswer answer) {
                m_asking = false;
                if (answer == TJobAnswer::Cancel)
                    return Stop(); // the file stays as it was; the lane has not begun it
                lane->OverwriteAnswered(answer == TJobAnswer::Yes);
                askNext();
            });
        return;
    }
}

void TConvertJob::AnswerOverwriteForAll(bool replace) {
    assertOwnThread();
    if (PendingQuestion() != TJobQuestion::ReplaceFile)
        return;
    m_replaceAll = replace;
    Answer(replace ? TJobAnswer::Yes : TJobAnswer::No);
}

void TConvertJob::fileBegun(int lane, int index, const QString& input, const QString& output) {
    emit currentItem(index + 1, int(m_files.size()), input);
    emit fileStarted(lane, index, input, output, Completed());
}

void TConvertJob::fileFinishedOnLane(int lane, int index, const QString& input,
                                     const QString& output, TConvertOutcome outcome,
                                     const QString& text) {
    if (outcome == TConvertOutcome::Converted)
        ++m_converted;
    else if (outcome == TConvertOutcome::Skipped)
        ++m_skipped;
    else if (outcome == TConvertOutcome::Damaged)
        ++m_damaged;
    else
        ++m_failed;
    emit fileFinished(lane, index, input, output, outcome, text);
}

void TConvertJob::laneIdle() {
    if (++m_idleLanes >= int(m_lanes.size()))
        finish(false);
}

void TConvertJob::finish(bool stopped) {
    if (IsFinished() || (m_albumPass && !stopped))
        return; // the end was reached a second time: the album pass is under way
    if (m_albumPass) {
        // Stopped while the album gain was written: the worker ends after its current file.
        m_albumPass->Stop();
        albumGainWritten(true);
    } else if (writeAlbumGain(stopped)) {
        return; // conclude follows once the worker is done
    }
    conclude(stopped);
}

void TConvertJob::conclude(bool stopped) {
    const TJobOutcome outcome = stopped                           ? TJobOutcome::Stopped
                                : m_failed == 0 && m_damaged == 0 ? TJobOutcome::Done
                                                                  : TJobOutcome::Failed;
    const int files = int(m_files.size());
    const QString summary =
        m_damaged
            ? tr("Converted %1, skipped %2, failed %3, damaged %4 of %n files", nullptr, files)
                  .arg(m_converted)
                  .arg(m_skipped)
                  .arg(m_failed)
                  .arg(m_damaged)
            : tr("Converted %1, skipped %2, failed %3 of %n files", nullptr, files)
                  .arg(m_converted)
                  .arg(m_skipped)
                  .arg(m_failed);
    finishWith(outcome, summary);
}

bool TConvertJob::writeAlbumGain(bool stopped) {
    if (m_gainMode != TReplayGain::TMode::Album)
        return false;
    // The album of a file is the folder it came from.
    std::map<QString, std::vector<int>> albums;
    for (int i = 0; i < int(m_files.size()); ++i)
        if (m_loudness[size_t(i)])
            albums[QFileInfo(m_files[i]).absolutePath()].push_back(i);
    if (albums.empty())
        return false;
    if (stopped) {
        emit message(TJobSeverity::Warning,
                     tr("The conversion was stopped: its files have no album gain."));
        return false;
    }
    // The worker gets copies of what it needs: it touches nothing of the job's.
    std::vector<TAlbumGainPass::TItem> items;
    for (const auto& [folder, indexes] : albums) {
        std::vector<const TLoudnessMeter*> meters;
        TReplayGain album;
        for (int i : indexes) {
            meters.push_back(m_loudness[size_t(i)].get());
            album.AlbumPeak = std::max(album.AlbumPeak, m_loudness[size_t(i)]->Peak());
        }
        album.HasAlbum =
            TReplayGain::GainOf(TLoudnessMeter::AlbumLoudness(meters), &album.AlbumGain);
        if (!album.HasAlbum)
            continue; // a silent album has no gain
        for (int i : indexes) {
            TReplayGain gain = album;
            const TLoudnessMeter& track = *m_loudness[size_t(i)];
            gain.HasTrack = TReplayGain::GainOf(track.Loudness(), &gain.TrackGain);
            gain.TrackPeak = track.Peak();
            items.push_back({m_writtenPaths[size_t(i)], m_route.Format, gain});
        }
    }
    if (items.empty())
        return false;
    m_albumPass = std::make_unique<TAlbumGainPass>(std::move(items), this, [this] {
        albumGainWritten(false);
        conclude(false);
    });
    return true;
}

void TConvertJob::albumGainWritten(bool stopped) {
    for (const QString& failure : m_albumPass->Failures())
        emit message(TJobSeverity::Warning, failure);
    const int tagged = m_albumPass->Tagged();
    const int files = m_albumPass->Files();
    m_albumPass.reset();
    if (stopped)
        emit message(TJobSeverity::Warning,
                     tr("The conversion was stopped while the album gain was written: %1 of %2 "
                        "files have it.")
                         .arg(tagged)
                         .arg(files));
}
