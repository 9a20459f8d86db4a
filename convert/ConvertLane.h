// One lane of a convert job: its own input components and encode step, converting one file at
// a time. Each step runs in the handler of an event of type 2130 the lane posts to itself: 0
// take the next file, 1 the current file has just been finished or skipped. GUI (main) thread
// only; the outputs' done events arrive through the framework's dispatcher.
#pragma once

#include <QEvent>
#include <QObject>
#include <QString>

class TAuInput;
class TConvertJob;
class TEncodeStep;
class TMP3In;
class TWMIn;
class TWaveIn;

constexpr QEvent::Type ConvertStepEvent = QEvent::Type(2130);

class TConvertLane : public QObject {
public:
    TConvertLane(TConvertJob* job, int number);
    ~TConvertLane() override;

    // Posts the 2130 event that takes the first file.
    void Kick();
    // Stops the running output and waits for it; no handler of this lane runs afterwards.
    void StopOutput();
    void SetDoneDelay(int ms);
    // Where the current (or stopped) file is written until it is complete.
    const QString& PartialPath() const;
    // The answer to the overwrite question of the current file.
    void OverwriteAnswered(bool overwrite);
    // Index of the file being converted, -1 when none.
    int CurrentFile() const { return m_current; }
    // True while the lane holds a file whose output another lane is writing.
    bool IsWaiting() const { return m_waiting >= 0; }
    int Number() const { return m_number; }

protected:
    bool event(QEvent* e) override;

private:
    void step(int wParam, int outcome, const QString& text);
    void finishCurrent(int outcome, const QString& text);
    void beginFile(int index);
    void startCurrent();
    void post(int wParam, int outcome = 0, const QString& text = QString());

    TConvertJob* m_job;
    int m_number;
    // Components, owned through Qt parenthood.
    TWaveIn* m_waveIn = nullptr;
    TMP3In* m_mp3In = nullptr;
    TWMIn* m_wmIn = nullptr;
    TEncodeStep* m_step = nullptr;
    int m_current = -1; // the file being converted
    int m_waiting = -1; // a file taken whose output another lane writes now
    QString m_outputPath;
    QString m_writtenPath;     // the name the finished file took (another job may have had it)
    bool m_mayReplace = false; // the user agreed to replace what has the output's name
    bool m_stopped = false;
};
