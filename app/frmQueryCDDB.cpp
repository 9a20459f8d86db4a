#include "frmQueryCDDB.h"

#include "frmStopQuery.h"
#include "lookup/LookupSources.h"
#include "settings/CddbServers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmQueryCDDB::TfrmQueryCDDB(HCDROM handle, TAppOptions& options, TDiscFieldsModel* model,
                             QWidget* parent)
    : QDialog(parent), m_handle(handle), m_options(options), m_model(model) {
    setObjectName(QStringLiteral("frmQueryCDDB"));
    setWindowTitle(tr("Query CDDB"));
    auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };

    auto* source = new QGroupBox(tr("Source"), this);
    cbSource = new QComboBox(source);
    named(cbSource, "cbSource");
    cbSource->addItems({QStringLiteral("CDDB"), QStringLiteral("MusicBrainz"),
                        tr("MusicBrainz, then CDDB when it has no match")});
    eMusicBrainzServer = new QLineEdit(source);
    named(eMusicBrainzServer, "eMusicBrainzServer");
    auto* sourceForm = new QFormLayout(source);
    sourceForm->addRow(tr("&Look up in:"), cbSource);
    sourceForm->addRow(tr("&MusicBrainz Server:"), eMusicBrainzServer);

    auto* server = new QGroupBox(tr("Server"), this);
    cbServer = new QComboBox(server);
    named(cbServer, "cbServer");
    cbServer->setEditable(true);
    cbServer->setInsertPolicy(QComboBox::NoInsert);
    for (const char* name : CddbServerNames)
        cbServer->addItem(QString::fromLatin1(name));
    eScript = new QLineEdit(server);
    named(eScript, "eScript");
    eEmail = new QLineEdit(server);
    named(eEmail, "eEmail");
    // The databases ask each user's address and may shut out programs that send none.
    eEmail->setPlaceholderText(tr("you@example.org (the servers ask for it)"));
    auto* serverForm = new QFormLayout(server);
    serverForm->addRow(tr("&Freedb Server:"), cbServer);
    serverForm->addRow(tr("Query &Script:"), eScript);
    serverForm->addRow(tr("Your &e-mail:"), eEmail);

    auto* proxy = new QGroupBox(tr("Proxy server"), this);
    cbProxy = new QCheckBox(tr("&Use a proxy server"), proxy);
    named(cbProxy, "cbProxy");
    eAddress = new QLineEdit(proxy);
    named(eAddress, "eAddress");
    ePort = new QLineEdit(proxy);
    named(ePort, "ePort");
    ePort->setMaximumWidth(80);
    auto* proxyForm = new QFormLayout(proxy);
    proxyForm->addRow(cbProxy);
    proxyForm->addRow(tr("&Address:"), eAddress);
    proxyForm->addRow(tr("&Port:"), ePort);

    bQuery = new QPushButton(tr("&Query"), this);
    named(bQuery, "bQuery");
    bQuery->setDefault(true);
    bClose = new QPushButton(tr("&Close"), this);
    named(bClose, "bClose");
    bDefault = new QPushButton(tr("&Default"), this);
    named(bDefault, "bDefault");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bDefault);
    buttons->addStretch(1);
    buttons->addWidget(bQuery);
    buttons->addWidget(bClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(source);
    layout->addWidget(server);
    layout->addWidget(proxy);
    layout->addLayout(buttons);
    setMinimumWidth(400);

    connect(cbProxy, &QCheckBox::toggled, this, &TfrmQueryCDDB::proxyClicked);
    connect(bDefault, &QPushButton::clicked, this, &TfrmQueryCDDB::defaults);
    connect(bQuery, &QPushButton::clicked, this, &TfrmQueryCDDB::query);
    connect(bClose, &QPushButton::clicked, this, &QDialog::reject);
    showSettings();
}

TfrmStopQuery* TfrmQueryCDDB::Progress() const {
    return m_progress;
}

void TfrmQueryCDDB::showSettings() {
    const TLookupSources sources = TLookupSources::From(m_options);
    cbSource->setCurrentIndex(int(sources.Source));
    eMusicBrainzServer->setText(sources.MusicBrainzServer);
    // A server typed in earlier that is not one of the list is shown as it was, so the next
    // Query goes where the last one went.
    const int entry =
        cbServer->findText(m_options.Server, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry >= 0 || m_options.Server.isEmpty())
        cbServer->setCurrentIndex(qMax(entry, 0));
    else
        cbServer->setEditText(m_options.Server);
    eScript->setText(m_options.Script);
    eEmail->setText(m_options.QueryCDDBEmail);
    cbProxy->setChecked(m_options.UseProxy);
    eAddress->setText(m_options.ProxyAddress);
    ePort->setText(m_options.Port);
    proxyClicked();
}

void TfrmQueryCDDB::proxyClicked() {
    eAddress->setEnabled(cbProxy->isChecked());
    ePort->setEnabled(cbProxy->isChecked());
}

void TfrmQueryCDDB::defaults() {
    cbSource->setCurrentIndex(int(TLookupSources::Cddb));
    eMusicBrainzServer->setText(TLookupSources::DefaultMusicBrainzServer);
    cbServer->setCurrentIndex(0);
    eScript->setText(DefaultScript);
    cbProxy->setChecked(false);
}

void TfrmQueryCDDB::query() {
    if (m_progress)
        return;
    m_options.Server = cbServer->currentText().trimmed();
    m_options.Script = eScript->text();
    m_options.QueryCDDBEmail = eEmail->text().trimmed();
    m_options.UseProxy = cbProxy->isChecked();
    m_options.ProxyAddress = eAddress->text();
    m_options.Port = ePort->text();
    m_options.LookupSource =
        TLookupSources::OrderText(TLookupSources::Order(cbSource->currentIndex()));
    if (!eMusicBrainzServer->text().trimmed().isEmpty())
        m_options.MusicBrainzServer = TLookupSources::ServerUrl(eMusicBrainzServer->text());
    auto* progress = new TfrmStopQuery(m_handle, TQueryCDDBThread::Settings::From(m_options),
                                       TLookupSources::From(m_options), m_model, this);
    progress->setAttribute(Qt::WA_DeleteOnClose);
    m_progress = progress;
    connect(progress, &QDialog::finished, this, [this, progress](int result) {
        if (result != Accepted)
            return;
        if (!progress->Job()->Cover().isEmpty())
            emit coverFound(progress->Job()->Cover());
        accept();
    });
    emit queryStarted(progress);
    progress->Start();
}
