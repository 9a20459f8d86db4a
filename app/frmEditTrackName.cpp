#include "frmEditTrackName.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A title of spaces only would tag the track with nothing.
bool isBlank(const QString& text) {
    return text.trimmed().isEmpty();
}

} // namespace

TfrmEditTrackName::TfrmEditTrackName(const QString& title, const QString& artist, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmEditTrackName"));
    setWindowTitle(tr("Edit Track's Title"));
    auto* group = new QGroupBox(tr("Please enter the new track title"), this);
    eName = new QLineEdit(title, group);
    eName->setObjectName(QStringLiteral("eName"));
    eName->setMinimumWidth(fontMetrics().averageCharWidth() * 45);
    eArtist = new QLineEdit(artist, group);
    eArtist->setObjectName(QStringLiteral("eArtist"));
    eArtist->setPlaceholderText(tr("the disc's artist"));
    auto* titleLabel = new QLabel(tr("&Title:"), group);
    titleLabel->setBuddy(eName);
    auto* artistLabel = new QLabel(tr("&Artist:"), group);
    artistLabel->setBuddy(eArtist);
    auto* groupLayout = new QFormLayout(group);
    groupLayout->addRow(titleLabel, eName);
    groupLayout->addRow(artistLabel, eArtist);
    auto* buttons = new QDialogButtonBox(this);
    bOK = buttons->addButton(tr("&OK"), QDialogButtonBox::AcceptRole);
    bCancel = buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole);
    bOK->setDefault(true); // Enter in a box acts as OK
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(eName, &QLineEdit::textChanged, this,
            [this](const QString& text) { bOK->setEnabled(!isBlank(text)); });
    bOK->setEnabled(!isBlank(title));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    eName->selectAll();
    eName->setFocus();
}

QString TfrmEditTrackName::Title() const {
    return eName->text();
}

QString TfrmEditTrackName::Artist() const {
    return eArtist->text().trimmed();
}

void TfrmEditTrackName::accept() {
    if (isBlank(Title()))
        return;
    QDialog::accept();
}
