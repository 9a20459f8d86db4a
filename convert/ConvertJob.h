// The batch convert job: converts a list of files, each into the output folder with the
// route's output format, reporting to a TConvertJobReport. Headless; the conversion dialog and
// the command line present it. Runs on the GUI (main) thread and needs its event loop.
//
// The files are shared out among one or more lanes (TConvertLane), each with its own set of
// components, driven one file at a time by the events of type 2130 it posts to itself. The
// dialog uses one lane; the command line one per core. All the job's state lives on the GUI
// thread; the lanes' outputs only reach it through their done and progress events.
#pragma once

#include "convert/ConvertKinds.h"
#include "settings/SettingsStore.h"

#include <QObject>
#include <QSet>
#include <QStringList>
#include <memory>
#include <vector>

class TConvertJobReport;
class TConvertLane;

class TConvertJob : public QObject {
public:
    // `files` are full paths, converted in this order. `report` must outlive the job.
    // `lanes` below 1 counts as 1.
    TConvertJob(const QStringList& files, const TConvertRoute& route, TConvertJobReport* report,
                int lanes = 1);
    ~TConvertJob() override;

    // The disc fields the Ogg Vorbis and FLAC comments take (the title is the output's base
    // name); set before Start.
    void SetDiscFields(const TDiscFields& fields) { m_disc = fields; }
    const TDiscFields& DiscFields() const { return m_disc; }

    // Posts each lane its first 2130 event; the first files start once the event loop runs.
    // With no files the job finishes at once.
    void Start();
    // Stops every running output and waits for it, then finishes. The files being written
    // stay as far as they were written. Nothing is reported after Finished.
    void Stop();

    bool IsFinished() const { return m_finished; }
    int Converted() const { return m_converted; }
    int Skipped() const { return m_skipped; }
    int Failed() const { return m_failed; }
    // Files done so far, whatever their outcome.
    int Completed() const { return m_converted + m_skipped + m_failed; }
    const QStringList& Files() const { return m_files; }
    const TConvertRoute& Route() const { return m_route; }
    int LaneCount() const { return int(m_lanes.size()); }
    // Output path of a file: OutputFolder with a trailing separator, then the file's name
    // without its folder and with its extension replaced by the format's.
    QString OutputPathOf(const QString& input) const;

private:
    friend class TConvertLane;

    // Lane calls, GUI thread.
    int takeNextFile(); // -1 when every file has been taken
    // Marks `path` as being written by a lane; false when another lane writes it now.
    bool claimOutput(const QString& path);
    void releaseOutput(const QString& path);
    void fileFinished(int lane, int index, const QString& input, const QString& output, int outcome,
                      const QString& text);
    void laneIdle();
    void finish(bool stopped);

    QStringList m_files;
    TConvertRoute m_route;
    TConvertJobReport* m_report;
    TDiscFields m_disc;
    std::vector<std::unique_ptr<TConvertLane>> m_lanes;
    QSet<QString> m_busyOutputs; // outputs a lane is writing now
    int m_fileIndex = 0;         // position of the next file to take
    int m_idleLanes = 0;
    int m_converted = 0;
    int m_skipped = 0;
    int m_failed = 0;
    bool m_started = false;
    bool m_finished = false;
};
