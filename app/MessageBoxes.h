// The program's message boxes: captioned "Free Sondrel", shown window-modal with open() so no
// nested event loop runs while a job works. One box is on the screen at a time, the others wait
// in order behind it, so Return always reaches the box that is shown; a box given no parent
// takes the active window. GUI (main) thread only.
#pragma once

#include "audio/Job.h"

#include <QMessageBox>
#include <functional>

inline const QString AppCaption = QStringLiteral("Free Sondrel");

// Shows `text` over `parent` (or queues it behind the box on the screen) and returns at once;
// `then` runs when the user dismisses it. The box deletes itself.
QMessageBox* ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                         std::function<void()> then = {});
// Asks `text` with Yes and No (and Cancel when `withCancel`); `then` gets the button pressed.
QMessageBox* AskQuestion(QWidget* parent, const QString& text, bool withCancel,
                         std::function<void(QMessageBox::StandardButton)> then);
// Asks `job`'s question `text` over `parent` and answers the job with the button pressed.
QMessageBox* AskForJob(QWidget* parent, TJob* job, const QString& text, TJobButtons buttons);
// Shows `box` (made by the caller, deleting itself on close) as the functions above show theirs.
void PresentBox(QMessageBox* box);
// The icon of a box showing a job's message of `severity`.
QMessageBox::Icon IconOf(TJobSeverity severity);
