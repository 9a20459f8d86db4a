#include "convert/ConvertJob.h"

#include "convert/ConvertJobReport.h"
#include "convert/ConvertLane.h"
#include "settings/AppOptions.h"
#include "settings/Helpers.h"

#include <QFileInfo>

TConvertJob::TConvertJob(const QStringList& files, const TConvertRoute& route,
                         TConvertJobReport* report, int lanes)
    : m_files(files), m_route(route), m_report(report) {
    const int count = std::max(1, lanes);
    for (int i = 0; i < count; ++i)
        m_lanes.push_back(std::make_unique<TConvertLane>(this, i));
}

TConvertJob::~TConvertJob() {
    for (auto& lane : m_lanes)
        lane->StopOutput();
}

QString TConvertJob::OutputPathOf(const QString& input) const {
    return WithTrailingBackslash(AppOptions.OutputFolder) + QFileInfo(input).completeBaseName() +
           FormatExtension(m_route.Format);
}

void TConvertJob::Start() {
    if (m_started)
        return;
    m_started = true;
    if (m_files.isEmpty()) {
        finish(false);
        return;
    }
    for (auto& lane : m_lanes)
        lane->Kick();
}

void TConvertJob::Stop() {
    if (m_finished)
        return;
    for (auto& lane : m_lanes) {
        const int index = lane->CurrentFile();
        lane->StopOutput();
        if (index >= 0) {
            ++m_failed;
            m_report->FileFinished(lane->Number(), index, m_files[index],
                                   OutputPathOf(m_files[index]), TConvertOutcome::Stopped,
                                   QString());
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

void TConvertJob::fileFinished(int lane, int index, const QString& input, const QString& output,
                               int outcome, const QString& text) {
    const auto o = TConvertOutcome(outcome);
    if (o == TConvertOutcome::Converted)
        ++m_converted;
    else if (o == TConvertOutcome::Skipped)
        ++m_skipped;
    else
        ++m_failed;
    m_report->FileFinished(lane, index, input, output, o, text);
}

void TConvertJob::laneIdle() {
    if (++m_idleLanes >= int(m_lanes.size()))
        finish(false);
}

void TConvertJob::finish(bool stopped) {
    if (m_finished)
        return;
    m_finished = true;
    m_report->Finished(stopped);
}
