#include "MessageBoxes.h"

#include <QPointer>

QMessageBox* ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                         std::function<void()> then) {
    auto* box = new QMessageBox(icon, AppCaption, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box, [then](int) {
        if (then)
            then();
    });
    box->open();
    return box;
}

QMessageBox* AskQuestion(QWidget* parent, const QString& text, bool withCancel,
                         std::function<void(QMessageBox::StandardButton)> then) {
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel)
        buttons |= QMessageBox::Cancel;
    auto* box = new QMessageBox(QMessageBox::Question, AppCaption, text, buttons, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box, [box, then](int) {
        QAbstractButton* clicked = box->clickedButton();
        const auto pressed = clicked ? box->standardButton(clicked) : QMessageBox::Cancel;
        then(pressed == QMessageBox::NoButton ? QMessageBox::Cancel : pressed);
    });
    box->open();
    return box;
}

QMessageBox* AskForJob(QWidget* parent, TJob* job, const QString& text, TJobButtons buttons) {
    QPointer<TJob> asked = job;
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
