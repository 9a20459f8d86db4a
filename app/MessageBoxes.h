// The program's message boxes: captioned "Free Sondrel", shown window-modal with open() so no
// nested event loop runs while a job works. GUI (main) thread only.
#pragma once

#include <QMessageBox>
#include <functional>

inline const QString AppCaption = QStringLiteral("Free Sondrel");
// Followed by "," and the folder.
inline const QString MsgNoOutputFolder = QStringLiteral("the output folder does not exist.");

// Shows `text` over `parent` and returns at once; `then` runs when the user dismisses it. The
// box deletes itself.
QMessageBox* ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                         std::function<void()> then = {});
// Asks `text` with Yes and No (and Cancel when `withCancel`); `then` gets the button pressed.
QMessageBox* AskQuestion(QWidget* parent, const QString& text, bool withCancel,
                         std::function<void(QMessageBox::StandardButton)> then);
