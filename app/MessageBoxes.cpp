#include "MessageBoxes.h"

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
