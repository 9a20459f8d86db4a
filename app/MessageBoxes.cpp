#include "MessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QList>
#include <QPointer>
#include <QPushButton>

namespace {

// The box on the screen and those waiting for it, oldest first.
QPointer<QMessageBox> shownBox;
QList<QPointer<QMessageBox>> waitingBoxes;

void openNow(QMessageBox* box) {
    shownBox = box;
    box->open();
    box->raise();
    box->activateWindow();
    QAbstractButton* button = box->defaultButton();
    if (!button)
        button = box->escapeButton();
    if (button)
        button->setFocus();
}

void showNextBox() {
    shownBox = nullptr;
    while (!waitingBoxes.isEmpty())
        if (QPointer<QMessageBox> box = waitingBoxes.takeFirst()) {
            // A box whose window has gone stays hidden with it.
            if (!box->parentWidget() || box->parentWidget()->isVisible())
                return openNow(box);
            box->deleteLater();
        }
}

// The window a box without a parent belongs to: the active one, else the first shown.
QWidget* ownerOf(QWidget* parent) {
    if (parent)
        return parent;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !qobject_cast<QMessageBox*>(w))
            return w;
    return nullptr;
}

} // namespace

void PresentBox(QMessageBox* box) {
    // Connected after the caller's own handler, so a box that handler shows waits its turn.
    QObject::connect(box, &QDialog::finished, box, [box] {
        if (shownBox == box)
            showNextBox();
    });
    QObject::connect(box, &QObject::destroyed, [] {
        if (!shownBox)
            showNextBox();
    });
    if (shownBox && shownBox->isVisible())
        waitingBoxes << box;
    else
        openNow(box);
}

QMessageBox* ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                         std::function<void()> then) {
    auto* box = new QMessageBox(icon, AppCaption, text, QMessageBox::Ok, ownerOf(parent));
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box, [then](int) {
        if (then)
            then();
    });
    PresentBox(box);
    return box;
}

QMessageBox* AskQuestion(QWidget* parent, const QString& text, bool withCancel,
                         std::function<void(QMessageBox::StandardButton)> then) {
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel)
        buttons |= QMessageBox::Cancel;
    auto* box = new QMessageBox(QMessageBox::Question, AppCaption, text, buttons, ownerOf(parent));
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box, [box, then](int) {
        QAbstractButton* clicked = box->clickedButton();
        const auto pressed = clicked ? box->standardButton(clicked) : QMessageBox::Cancel;
        then(pressed == QMessageBox::NoButton ? QMessageBox::Cancel : pressed);
    });
    PresentBox(box);
    return box;
}

QMessageBox* AskForJob(QWidget* parent, TJob* job, const QString& text, TJobButtons buttons) {
    QPointer<TJob> asked = job;
    if (job->PendingQuestion() == TJobQuestion::ReplaceOutputs) {
        // The buttons say what each does to all the files listed; the job's own last line
        // names the answers as Yes, No and Cancel, for the terminal.
        const QString list = text.left(text.lastIndexOf(QLatin1Char('\n')));
        QMessageBox* box = AskQuestion(
            parent,
            QCoreApplication::translate("MessageBoxes", "%1\n\nReplace them all, skip their "
                                                        "tracks, or cancel the rip?")
                .arg(list),
            true, [asked](QMessageBox::StandardButton pressed) {
                if (asked)
                    asked->Answer(pressed == QMessageBox::Yes  ? TJobAnswer::Yes
                                  : pressed == QMessageBox::No ? TJobAnswer::No
                                                               : TJobAnswer::Cancel);
            });
        box->button(QMessageBox::Yes)
            ->setText(QCoreApplication::translate("MessageBoxes", "&Replace All"));
        box->button(QMessageBox::No)
            ->setText(QCoreApplication::translate("MessageBoxes", "&Skip Their Tracks"));
        box->button(QMessageBox::Cancel)
            ->setText(QCoreApplication::translate("MessageBoxes", "&Cancel the Rip"));
        box->setDefaultButton(QMessageBox::No); // keeping the files is the safe choice
        if (QAbstractButton* b = box->button(QMessageBox::No); b && box->isVisible())
            b->setFocus();
        return box;
    }
    return AskQuestion(parent, text, buttons == TJobButtons::YesNoCancel,
                       [asked](QMessageBox::StandardButton pressed) {
                           if (asked)
                               asked->Answer(pressed == QMessageBox::Yes  ? TJobAnswer::Yes
                                             : pressed == QMessageBox::No ? TJobAnswer::No
                                                                          : TJobAnswer::Cancel);
                       });
}

QMessageBox::Icon IconOf(TJobSeverity severity) {
    return severity == TJobSeverity::Error     ? QMessageBox::Critical
           : severity == TJobSeverity::Warning ? QMessageBox::Warning
                                               : QMessageBox::Information;
}
