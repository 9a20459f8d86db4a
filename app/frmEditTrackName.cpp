#include "frmEditTrackName.h"

#include "MessageBoxes.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmEditTrackName::TfrmEditTrackName(const QString& title, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmEditTrackName"));
    setWindowTitle(QStringLiteral("Edit Track's Title"));
    auto* group = new QGroupBox(QStringLiteral("Please enter the new track title"), this);
    eName = new QLineEdit(title, group);
    eName->setObjectName(QStringLiteral("eName"));
    eName->setMinimumWidth(320);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(eName);
    auto* buttons = new QDialogButtonBox(this);
    bOK = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    bCancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    bOK->setDefault(true); // Enter in the box acts as OK
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(eName, &QLineEdit::textChanged, this,
            [this](const QString& text) { bOK->setEnabled(!text.isEmpty()); });
    bOK->setEnabled(!title.isEmpty());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    eName->selectAll();
    eName->setFocus();
}

QString TfrmEditTrackName::Title() const {
    return eName->text();
}

QString TfrmEditTrackName::TitleProblem(const QString& title) {
    // The title becomes "<title>.wav" and "<title>.<format>" in the output folder: a "/" would
    // put the file in another folder, and "." or ".." name folders, not files.
    if (title.contains(QLatin1Char('/')) || title.contains(QChar(0)) ||
        title == QLatin1String(".") || title == QLatin1String(".."))
        return QStringLiteral("\"%1\" cannot be a file name: a track title must not contain "
                              "\"/\" and must not be \".\" or \"..\".")
            .arg(title);
    // Most Linux file systems take at most 255 bytes per name, extension included.
    if (title.toUtf8().size() + 5 > 255)
        return QStringLiteral("The title is too long to be a file name: at most 250 bytes.");
    return {};
}

void TfrmEditTrackName::accept() {
    if (Title().isEmpty())
        return;
    const QString problem = TitleProblem(Title());
    if (!problem.isEmpty()) {
        ShowMessage(this, QMessageBox::Warning, problem);
        return;
    }
    QDialog::accept();
}
