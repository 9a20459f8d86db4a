#include "frmMain.h"

#include "DiscMonitor.h"
#include "MessageBoxes.h"
#include "TrackListModel.h"
#include "audio/Genres.h"
#include "audio/VersionNotice.h"
#include "encode/OutputFormats.h"
#include "frmCDRip.h"
#include "frmEditTrackName.h"
#include "frmOptions.h"
#include "player/AudioDeviceSink.h"
#include "player/CdPlayer.h"
#include "settings/AppOptions.h"
#include "settings/SettingsError.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStatusBar>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <tuple>

namespace {

// A theme icon where the desktop has one, else the style's own picture.
QIcon themeIcon(const char* name, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QString::fromLatin1(name),
                            QApplication::style()->standardIcon(fallback));
}

struct TConverterKind {
    int Tag;
    const char* Caption;
    const char* DialogTitle;
    const char* Extension;
};

const TConverterKind ConverterKinds[] = {
    {2, QT_TRANSLATE_NOOP("TfrmMain", "Wav to &Mp3..."),
     QT_TRANSLATE_NOOP("TfrmMain", "Wav to Mp3 Converter"), "wav"},
    {3, QT_TRANSLATE_NOOP("TfrmMain", "Wav to &Ogg..."),
     QT_TRANSLATE_NOOP("TfrmMain", "Wav to Ogg Converter"), "wav"},
    {4, QT_TRANSLATE_NOOP("TfrmMain", "Wav to &Wma..."),
     QT_TRANSLATE_NOOP("TfrmMain", "Wav to Wma Converter"), "wav"},
    {5, QT_TRANSLATE_NOOP("TfrmMain", "Wav to &Flac..."),
     QT_TRANSLATE_NOOP("TfrmMain", "Wav to Flac Converter"), "wav"},
    {6, QT_TRANSLATE_NOOP("TfrmMain", "Wav to &Ape..."),
     QT_TRANSLATE_NOOP("TfrmMain", "Wav to Ape Converter"), "wav"},
    {7, QT_TRANSLATE_NOOP("TfrmMain", "Mp3 to Wa&v Converter..."),
     QT_TRANSLATE_NOOP("TfrmMain", "Mp3 to Wav Converter"), "mp3"},
    {8, QT_TRANSLATE_NOOP("TfrmMain", "Wma to Wav Conv&erter..."),
     QT_TRANSLATE_NOOP("TfrmMain", "Wma to Wav Converter"), "wma"},
    {9, QT_TRANSLATE_NOOP("TfrmMain", "M&p3 to Wma Converter..."),
     QT_TRANSLATE_NOOP("TfrmMain", "Mp3 to Wma Converter"), "mp3"},
    {10, QT_TRANSLATE_NOOP("TfrmMain", "Wma &to Mp3 Converter..."),
     QT_TRANSLATE_NOOP("TfrmMain", "Wma to Mp3 Converter"), "wma"},
};

// The disc box's text, "N", "N/M" or "/M", for a disc number and total (0 unknown); and back.
QString discText(int number, int total) {
    QString text = number > 0 ? QString::number(number) : QString();
    if (total > 0)
        text += QLatin1Char('/') + QString::number(total);
    return text;
}

std::pair<int, int> discNumbers(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('/'));
    return {parts.value(0).toInt(), parts.value(1).toInt()}; // "" reads as 0
}

} // namespace

// The icon lives in the library's resources, which a static library must register itself.
static void initAppResources() {
    Q_INIT_RESOURCE(sondrel);
}

QString OnlineHelpAddress() {
    // The help page installed with the program (the README as HTML, its screenshots beside it),
    // else the one of the build tree it was built in.
    const QString installed = QDir(QCoreApplication::applicationDirPath())
                                  .filePath(QStringLiteral("../share/doc/sondrel/README.html"));
    if (QFileInfo::exists(installed))
        return QUrl::fromLocalFile(QFileInfo(installed).canonicalFilePath()).toString();
    return QUrl::fromLocalFile(QStringLiteral(SONDREL_BUILT_HELP)).toString();
}

QString HomePageAddress() {
    return QStringLiteral(SONDREL_HOME_PAGE);
}

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent) {
    initAppResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppCaption);
    setWindowIcon(QIcon::fromTheme(QStringLiteral("sondrel"),
                                   QIcon(QStringLiteral(":/sondrel/sondrel.svg"))));
    m_model = new TTrackListModel(&m_session.Rows, this);
    m_monitor = new TDiscMonitor(this);
    buildActions();
    buildMenus();
    buildCentralWidget();
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusBar1Panel0"));
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(m_status, 1);
    m_elapsed = new QLabel(this);
    m_elapsed->setObjectName(QStringLiteral("StatusBar1Panel1"));
    statusBar()->addPermanentWidget(m_elapsed);
    m_elapsed->hide();
    m_elapsedTimer = new QTimer(this);
    m_elapsedTimer->setInterval(250);
    connect(m_elapsedTimer, &QTimer::timeout, this, &TfrmMain::showElapsed);
    UsePlayerSink(std::make_unique<TAudioDeviceSink>());
    setMinimumWidth(678);
    resize(760, 520);
    setAcceptDrops(true);

    connect(m_model, &TTrackListModel::checksChanged, this, &TfrmMain::updateActions);
    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfrmMain::updateActions);
    connect(m_monitor, &TDiscMonitor::arrived, this, &TfrmMain::onArrival);
    connect(m_monitor, &TDiscMonitor::removed, this, &TfrmMain::onRemoval);
    // The settings were loaded before the window: show the output choice at once.
    cbOutputFormat->setCurrentIndex(qBound(0, AppOptions.OutputFormat, OutputFormatCount - 1));
    eOutputDir->setText(AppOptions.OutputFolder);
    updateActions();
}

TfrmMain::~TfrmMain() {
    // The player and the tray thread use the drive's handle, which closes with the session.
    m_player->Close();
    waitForTray();
    dropReader();
    // The list's model shows the session's rows, which go before the widgets do.
    ListView1->setModel(nullptr);
}

void TfrmMain::buildActions() {
    auto make = [this](const QString& caption, const char* name) {
        auto* a = new QAction(caption, this);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    auto hint = [](QAction* a, const QString& iconText, const QString& text) {
        a->setIconText(iconText);
        a->setToolTip(text);
        a->setStatusTip(text);
    };
    aRip = make(tr("&Rip Selected Tracks..."), "aRip");
    aRip->setShortcut(QKeySequence(QStringLiteral("Ctrl+R")));
    aRip->setIcon(themeIcon("media-optical-audio", QStyle::SP_DriveCDIcon));
    hint(aRip, tr("Rip"), tr("Rip selected tracks"));
    aOpenImage = make(tr("&Open Disc Image..."), "aOpenImage");
    aOpenImage->setIcon(themeIcon("document-open", QStyle::SP_DialogOpenButton));
    aSelectAll = make(tr("&Select All"), "aSelectAll");
    aSelectNone = make(tr("&Unselect All"), "aSelectNone");
    aInvertSelection = make(tr("&Invert Selection"), "aInvertSelection");
    aEditTrackName = make(tr("&Edit Track's Title..."), "aEditTrackName");
    aEditTrackName->setShortcut(QKeySequence(QStringLiteral("Ctrl+F2")));
    aQueryCDDB = make(tr("&Query CDDB..."), "aQueryCDDB");
    aQueryCDDB->setIcon(themeIcon("system-search", QStyle::SP_FileDialogContentsView));
    hint(aQueryCDDB, tr("CDDB"), tr("Query CDDB"));
    aOptions = make(tr("&Options..."), "aOptions");
    aOptions->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    aOptions->setIcon(themeIcon("preferences-system", QStyle::SP_FileDialogDetailedView));
    hint(aOptions, tr("Options"), tr("Options"));
    aHelp = make(tr("&Online Help"), "aHelp");
    aHelp->setShortcut(QKeySequence(Qt::Key_F1));
    aHelp->setIcon(themeIcon("help-contents", QStyle::SP_DialogHelpButton));
    hint(aHelp, tr("Help"), tr("Help"));
    aHomepage = make(tr("&Home Page"), "aHomepage");
    aHomepage->setIcon(themeIcon("go-home", QStyle::SP_DirHomeIcon));
    hint(aHomepage, tr("Home"), tr("Visit our home page"));
    aPlay = make(tr("&Play"), "aPlay");
    aPlay->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
    aPlay->setIcon(themeIcon("media-playback-start", QStyle::SP_MediaPlay));
    hint(aPlay, tr("Play"), tr("Play the selected track"));
    aPause = make(tr("P&ause"), "aPause");
    aPause->setIcon(themeIcon("media-playback-pause", QStyle::SP_MediaPause));
    hint(aPause, tr("Pause"), tr("Pause"));
    aStop = make(tr("&Stop"), "aStop");
    aStop->setIcon(themeIcon("media-playback-stop", QStyle::SP_MediaStop));
    hint(aStop, tr("Stop"), tr("Stop"));
    EjectCDRom1 = make(tr("&Eject CD-ROM"), "EjectCDRom1");
    CloseCDROM1 = make(tr("&Close CD-ROM"), "CloseCDROM1");
    miJumpoutputfolder = make(tr("&Jump Output Folder"), "miJumpoutputfolder");
    miJumpoutputfolder->setIcon(themeIcon("folder-open", QStyle::SP_DirOpenIcon));
    hint(miJumpoutputfolder, tr("Folder"), tr("Open the output folder"));
    RefreshCD1 = make(tr("Re&fresh CD"), "RefreshCD1");
    RefreshCD1->setIcon(themeIcon("view-refresh", QStyle::SP_BrowserReload));
    miAbout = make(tr("&About..."), "miAbout");
    miExit = make(tr("E&xit"), "miExit");
    miExit->setIcon(themeIcon("application-exit", QStyle::SP_DialogCloseButton));
    hint(miExit, tr("Exit"), tr("Exit"));
    for (const TConverterKind& k : ConverterKinds) {
        QAction* a = make(tr(k.Caption), "miConvert");
        a->setObjectName(QStringLiteral("miConvert%1").arg(k.Tag));
        a->setData(k.Tag);
        connect(a, &QAction::triggered, this, [this, tag = k.Tag] { launchConverter(tag); });
        ConverterItems << a;
    }
    // The tool button "Convert" is the first converter (tag 2).
    ConverterItems[0]->setIcon(themeIcon("media-record", QStyle::SP_ArrowRight));
    hint(ConverterItems[0], tr("Convert"), tr("Wav to Mp3 Converter"));

    connect(aRip, &QAction::triggered, this, &TfrmMain::ripSelected);
    connect(aSelectAll, &QAction::triggered, this, [this] { m_model->SetAllChecked(true); });
    connect(aSelectNone, &QAction::triggered, this, [this] { m_model->SetAllChecked(false); });
    connect(aInvertSelection, &QAction::triggered, m_model, &TTrackListModel::InvertChecks);
    connect(aEditTrackName, &QAction::triggered, this, &TfrmMain::editTrackName);
    connect(aQueryCDDB, &QAction::triggered, this, &TfrmMain::queryCddb);
    connect(aOptions, &QAction::triggered, this, &TfrmMain::showOptions);
    connect(aHelp, &QAction::triggered, this, [this] { openOrSay(QUrl(OnlineHelpAddress())); });
    connect(aHomepage, &QAction::triggered, this, [this] { openOrSay(QUrl(HomePageAddress())); });
    connect(miJumpoutputfolder, &QAction::triggered, this, &TfrmMain::jumpOutputFolder);
    connect(RefreshCD1, &QAction::triggered, this, &TfrmMain::refreshCd);
    connect(aOpenImage, &QAction::triggered, this, &TfrmMain::chooseDiscImage);
    connect(miAbout, &QAction::triggered, this, &TfrmMain::showAbout);
    connect(aPlay, &QAction::triggered, this, &TfrmMain::playSelected);
    connect(aPause, &QAction::triggered, this, &TfrmMain::pausePlay);
    connect(aStop, &QAction::triggered, this, &TfrmMain::stopPlay);
    connect(EjectCDRom1, &QAction::triggered, this, [this] { moveTray(true); });
    connect(CloseCDROM1, &QAction::triggered, this, [this] { moveTray(false); });
    connect(miExit, &QAction::triggered, this, &QWidget::close);
}

void TfrmMain::buildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(aRip);
    file->addAction(aOpenImage);
    file->addAction(RefreshCD1);
    file->addAction(miJumpoutputfolder);
    file->addSeparator();
    file->addAction(miExit);
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addActions({aSelectAll, aSelectNone, aInvertSelection});
    edit->addSeparator();
    edit->addAction(aEditTrackName);
    QMenu* play = menuBar()->addMenu(tr("&Play", "menu"));
    play->addActions({aPlay, aPause, aStop});
    play->addSeparator();
    play->addActions({EjectCDRom1, CloseCDROM1});
    QMenu* convert = menuBar()->addMenu(tr("&Convert"));
    for (QAction* a : ConverterItems) {
        if (a->data().toInt() == 7)
            convert->addSeparator();
        convert->addAction(a);
    }
    QMenu* tools = menuBar()->addMenu(tr("&Tools"));
    tools->addActions({aQueryCDDB, aOptions});
    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addActions({aHelp, aHomepage});
    help->addSeparator();
    help->addAction(miAbout);

    QToolBar* bar = addToolBar(tr("Tools"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(24, 24));
    bar->addActions({aRip, ConverterItems[0], aQueryCDDB, miJumpoutputfolder});
    bar->addSeparator();
    bar->addActions({aPlay, aPause, aStop});
    bar->addSeparator();
    bar->addActions({aOptions, aHelp, aHomepage, miExit});

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addActions({aRip, aSelectAll, aSelectNone, aInvertSelection});
    PopupMenu1->addSeparator();
    PopupMenu1->addActions({aPlay, aPause, aStop});
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(aEditTrackName);
}

void TfrmMain::buildCentralWidget() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(3, 3, 3, 3);

    auto* gbID3 = new QGroupBox(tr("Disc"), central);
    gbID3->setObjectName(QStringLiteral("gbID3"));
    auto* fields = new QHBoxLayout(gbID3);
    auto addField = [&](const QString& caption, QWidget* box, int stretch) {
        auto* label = new QLabel(caption, gbID3);
        label->setBuddy(box);
        fields->addWidget(label);
        fields->addWidget(box, stretch);
    };
    // maxLength 0 leaves QLineEdit's own limit: the tags take any length (ID3v1's writer cuts
    // its own copy), and a cut here would be saved back into cd.dat.
    auto lineEdit = [&](const char* name, int maxLength) {
        auto* e = new QLineEdit(gbID3);
        e->setObjectName(QString::fromLatin1(name));
        if (maxLength > 0)
            e->setMaxLength(maxLength);
        e->setMinimumWidth(40);
        return e;
    };
    ID3artist = lineEdit("ID3artist", 0);
    ID3album = lineEdit("ID3album", 0);
    ID3year = lineEdit("ID3year", 4);
    editDisc = lineEdit("editDisc", 7);
    editDisc->setToolTip(tr("Which disc of a set this is: \"2\", or \"2/3\" for "
                            "the second of three"));
    editDisc->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[1-9][0-9]{0,2}(/[1-9][0-9]{0,2})?|/[1-9][0-9]{0,2}")),
        editDisc));
    ID3comment = lineEdit("ID3comment", 0);
    ID3genre = new QComboBox(gbID3);
    ID3genre->setObjectName(QStringLiteral("ID3genre"));
    ID3genre->addItem(QString());
    for (const char* name : GenreNames)
        ID3genre->addItem(QString::fromLatin1(name));
    ID3genre->setMinimumContentsLength(8);
    ID3genre->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ID3genre->setMaxVisibleItems(20);
    ID3genre->setCurrentIndex(-1);
    // The boxes share the width as 100 : 100 : 45 : 40 : 109 and the comment the rest.
    addField(tr("A&rtist:"), ID3artist, 100);
    addField(tr("A&lbum:"), ID3album, 100);
    addField(tr("&Year:"), ID3year, 45);
    addField(tr("&Disc:"), editDisc, 40);
    addField(tr("&Genre:"), ID3genre, 109);
    addField(tr("Co&mment:"), ID3comment, 100);
    // The comment box was made before the genre box: Tab follows the boxes as they are shown.
    setTabOrder(editDisc, ID3genre);
    setTabOrder(ID3genre, ID3comment);
    layout->addWidget(gbID3);

    ListView1 = new QTreeView(central);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setModel(m_model);
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->setSectionsMovable(false);
    ListView1->setColumnWidth(TTrackListModel::ColNumber, 90);
    ListView1->setColumnWidth(TTrackListModel::ColTitle, 230);
    ListView1->setColumnWidth(TTrackListModel::ColArtist, 160);
    ListView1->setColumnWidth(TTrackListModel::ColStart, 100);
    ListView1->setColumnWidth(TTrackListModel::ColLength, 100);
    ListView1->header()->setSectionResizeMode(TTrackListModel::ColTitle, QHeaderView::Stretch);
    ListView1->setColumnHidden(TTrackListModel::ColArtist, true);
    // The rows come and change through the model: a new disc, a lookup, an edit.
    connect(m_model, &QAbstractItemModel::modelReset, this, &TfrmMain::showArtistColumn);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &TfrmMain::showArtistColumn);
    layout->addWidget(ListView1, 1);
    connect(ListView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(p)); });
    connect(ListView1, &QAbstractItemView::clicked, this, &TfrmMain::onRowClicked);
    ListView1->installEventFilter(this);
    connect(ListView1, &QAbstractItemView::doubleClicked, this, [this] {
        if (selectedRow() >= 0)
            aEditTrackName->trigger();
    });

    auto* bottom = new QHBoxLayout;
    auto* gbFormat = new QGroupBox(tr("Output format"), central);
    gbFormat->setObjectName(QStringLiteral("gbOutputFormat"));
    cbOutputFormat = new QComboBox(gbFormat);
    cbOutputFormat->setObjectName(QStringLiteral("cbOutputFormat"));
    cbOutputFormat->addItems({tr("MP3 file(*.MP3)"), tr("WAV file(*.WAV)"), tr("OGG file(*.OGG)"),
                              tr("WMA file(*.WMA)"), tr("FLAC file(*.FLAC)"), tr("APE FILE(*.APE)"),
                              tr("Opus file(*.opus)"), tr("AAC file(*.m4a)"),
                              tr("Apple Lossless file(*.m4a)")});
    (new QHBoxLayout(gbFormat))->addWidget(cbOutputFormat);
    bottom->addWidget(gbFormat);
    auto* gbFolder = new QGroupBox(tr("Output folder"), central);
    gbFolder->setObjectName(QStringLiteral("gbOutputFolder"));
    eOutputDir = new QLineEdit(gbFolder);
    eOutputDir->setObjectName(QStringLiteral("eOutputDir"));
    eOutputDir->setEnabled(false);
    bBrowser = new QPushButton(QStringLiteral("..."), gbFolder);
    bBrowser->setObjectName(QStringLiteral("bBrowser"));
    bBrowser->setToolTip(tr("Please select the folder to save the audio file"));
    bBrowser->setFixedWidth(bBrowser->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    auto* folderRow = new QHBoxLayout(gbFolder);
    folderRow->addWidget(eOutputDir, 1);
    folderRow->addSpacing(8);
    folderRow->addWidget(bBrowser);
    bottom->addWidget(gbFolder, 1);
    layout->addLayout(bottom);
    setCentralWidget(central);

    connect(cbOutputFormat, &QComboBox::currentIndexChanged, this, [](int index) {
        if (index >= 0)
            AppOptions.OutputFormat = index;
    });
    connect(bBrowser, &QPushButton::clicked, this, &TfrmMain::browseOutputFolder);
    connect(ID3artist, &QLineEdit::textChanged, this,
            [this](const QString& t) { m_session.Fields.Artist = t; });
    connect(ID3album, &QLineEdit::textChanged, this,
            [this](const QString& t) { m_session.Fields.Album = t; });
    connect(ID3year, &QLineEdit::textChanged, this,
            [this](const QString& t) { m_session.Fields.Year = t; });
    connect(editDisc, &QLineEdit::textChanged, this, [this](const QString& t) {
        std::tie(m_session.Fields.DiscNumber, m_session.Fields.DiscTotal) = discNumbers(t);
    });
    connect(ID3comment, &QLineEdit::textChanged, this,
            [this](const QString& t) { m_session.Fields.Comment = t; });
    connect(ID3genre, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_session.Fields.Genre = index; });
}

void TfrmMain::updateActions() {
    aRip->setEnabled(m_model->CheckedCount() > 0);
    aEditTrackName->setEnabled(selectedRow() >= 0);
    aQueryCDDB->setEnabled(m_lookup && m_model->rowCount() > 0);
    for (QAction* a : ConverterItems)
        a->setEnabled(bool(m_converter));
    aPlay->setEnabled(selectedRow() >= 0 && !m_rip);
    aPause->setEnabled(m_playing && !m_paused);
    aStop->setEnabled(m_playing);
    // A disc image has no tray.
    const bool tray = m_session.Handle != 0 && !m_driveIsImage && !m_tray && !m_rip;
    EjectCDRom1->setEnabled(tray);
    CloseCDROM1->setEnabled(tray);
}

int TfrmMain::selectedRow() const {
    const QModelIndexList rows = ListView1->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

QString TfrmMain::StatusText() const {
    return m_status->text();
}

void TfrmMain::SetStatusText(const QString& text) {
    // The disc session's texts are English (the command line prints them too); a text of the
    // window's own is already translated and finds no entry in the session's context.
    m_status->setText(QCoreApplication::translate("TDiscSession", text.toUtf8().constData()));
}

void TfrmMain::SetLookupLauncher(std::function<void(HCDROM, int, int)> launcher) {
    m_lookup = std::move(launcher);
    updateActions();
}

void TfrmMain::SetConverterLauncher(std::function<void(const QStringList&, int)> launcher) {
    m_converter = std::move(launcher);
    updateActions();
}

// ---- The drive and the disc ----

// What a worker thread found in a drive: the open handle (handed to the window, or closed when
// nobody takes it), the drive's texts, and the disc's rows and fields when it holds audio.
struct TDriveRead {
    HCDROM Handle = 0;
    QString DriveDescription;
    QString StatusText;
    QString Source; // device path or image file, for the disc monitor
    bool IsImage = false;
    bool AudioCd = false;
    std::vector<TTrackRow> Rows;
    TDiscFields Fields;
    QString Key;

    ~TDriveRead() {
        if (Handle != 0)
            CloseCDHandle(Handle);
    }
};

namespace {

// Worker thread: a drive's table of contents can take seconds while it spins up. Touches no
// window and no settings global; cd.dat is only read.
void readDrive(int index, TDriveRead& out) {
    TDiscSession s;
    out.Handle = s.OpenDrive(index);
    out.DriveDescription = s.DriveDescription;
    out.StatusText = s.StatusText;
    if (out.Handle == 0)
        return;
    TCDList list{};
    list.MaxCd = 8;
    GetCDList(&list);
    if (index < list.NumCd) {
        out.Source = QString::fromUtf8(list.Cd[index].Id);
        out.IsImage = list.Cd[index].Ha == 0;
    }
    out.AudioCd = s.AudioCdPresent();
    if (out.AudioCd) {
        s.ReadDisc(LoadDiscTexts(s.CurrentDiscKey()));
        out.Rows = s.Rows;
        out.Fields = s.Fields;
        out.Key = s.Key;
        out.StatusText = s.StatusText;
    }
    s.Handle = 0; // the handle now belongs to `out`
}

} // namespace

void TfrmMain::StartUp() {
    m_starting = true;
    // The drive the options chose, while it is there; the first drive otherwise.
    TCDList list{};
    list.MaxCd = 8;
    GetCDList(&list);
    ReadDrive(AppOptions.DriveIndex > 0 && AppOptions.DriveIndex < list.NumCd
                  ? AppOptions.DriveIndex
                  : 0);
}

void TfrmMain::ReadDrive(int index) {
    stopPlay(); // the handle it plays from is replaced
    m_driveIndex = index;
    if (m_reader) {
        m_readAgain = true;
        return;
    }
    rememberTextsOfDiscOnShow();
    m_session.Rows.clear();
    m_model->Reset();
    clearFields();
    auto read = std::make_shared<TDriveRead>();
    m_read = read;
    m_reader = QThread::create([index, read] { readDrive(index, *read); });
    connect(m_reader, &QThread::finished, this, [this, read] {
        if (read != m_read)
            return; // dropped at close; its handle closes with it
        dropReader();
        applyRead(*read);
        if (m_readAgain) {
            m_readAgain = false;
            ReadDrive(m_driveIndex);
        }
    });
    m_reader->start();
}

// Waits for a running read (one table of contents at most) and drops what it found.
void TfrmMain::dropReader() {
    if (!m_reader)
        return;
    m_reader->wait();
    delete m_reader;
    m_reader = nullptr;
    m_read.reset();
}

void TfrmMain::applyRead(TDriveRead& read) {
    m_session.CloseDrive();
    m_session.Handle = read.Handle;
    read.Handle = 0;
    m_session.DriveDescription = read.DriveDescription;
    m_session.StatusText = read.StatusText;
    m_session.Rows = std::move(read.Rows);
    m_session.Fields = read.Fields;
    m_session.Key = read.Key;
    m_monitor->Watch(read.Source, read.IsImage);
    m_driveIsImage = read.IsImage;
    m_model->Reset();
    showFields();
    SetStatusText(m_session.StatusText);
    if (m_session.Handle != 0 && !read.AudioCd) {
        if (m_starting)
            m_noDiscAtStart = true;
        else
            SetStatusText(StatusNoAudioCd);
    }
    if (!m_session.Rows.empty())
        m_noDiscAtStart = false; // later activations keep the status of the disc read
    // A read still queued (m_readAgain) is the new drive's; this one is not.
    if (m_takeIdleStatus && !m_readAgain) {
        m_takeIdleStatus = false;
        m_idleStatus = StatusText();
    }
    if (m_starting) {
        m_starting = false;
        m_idleStatus = StatusText();
        if (m_noDiscAtStart && isActiveWindow())
            SetStatusText(StatusNoAudioCd);
    }
    updateActions();
    // A disc just inserted is looked up when the options say so.
    if (m_lookUpAfterRead && !m_readAgain) {
        m_lookUpAfterRead = false;
        if (read.AudioCd && m_lookup)
            QTimer::singleShot(0, this, &TfrmMain::queryCddb);
    }
    emit discRead();
}

void TfrmMain::SaveDiscTexts() {
    if (!m_session.Key.isEmpty() && !m_session.Rows.empty())
        ::SaveDiscTexts(m_session.Key, m_session.Texts());
}

void TfrmMain::showFields() {
    const TDiscFields f = m_session.Fields; // the boxes' signals write back into the session
    ID3artist->setText(f.Artist);
    ID3album->setText(f.Album);
    ID3year->setText(f.Year);
    editDisc->setText(discText(f.DiscNumber, f.DiscTotal));
    ID3comment->setText(f.Comment);
    ID3genre->setCurrentIndex(f.Genre >= 0 && f.Genre <= GenreCount ? f.Genre : -1);
}

// The "Artist" column only where some track has a performer of its own.
void TfrmMain::showArtistColumn() {
    ListView1->setColumnHidden(TTrackListModel::ColArtist, !m_model->HasTrackArtists());
}

void TfrmMain::ShowDiscTexts() {
    showFields();
    m_model->TitlesChanged();
}

void TfrmMain::clearFields() {
    m_session.Fields = TDiscFields();
    showFields();
}

// Before the rows are replaced or cleared, their texts go to cd.dat under their own disc's key.
void TfrmMain::rememberTextsOfDiscOnShow() {
    try {
        SaveDiscTexts();
    } catch (const TSettingsError& e) {
        ShowMessage(this, QMessageBox::Critical, e.Message());
    }
    m_session.Key.clear();
}

void TfrmMain::onArrival() {
    m_lookUpAfterRead = AppOptions.AutoLookup;
    if (m_rip) {
        m_discEventWhileRipping = true; // the rip holds the drive; read it when it is done
        return;
    }
    ReadDrive(m_driveIndex);
}

void TfrmMain::onRemoval() {
    if (m_rip) {
        m_discEventWhileRipping = true;
        return;
    }
    if (m_playing) {
        stopPlay();
        SetStatusText(tr("Playback stopped: the disc was removed."));
    }
    rememberTextsOfDiscOnShow();
    m_session.Rows.clear();
    m_model->Reset();
}

namespace {

bool isDiscImageName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("cue") || suffix == QLatin1String("toc") ||
           suffix == QLatin1String("nrg");
}

const char* const DiscImageFilter = QT_TRANSLATE_NOOP(
    "TfrmMain", "Disc images (*.cue *.toc *.nrg *.CUE *.TOC *.NRG);;Any file (*)");

} // namespace

bool TfrmMain::OpenDiscImages(const QStringList& paths) {
    if (m_rip) {
        ShowMessage(this, QMessageBox::Information,
                    tr("A rip is running. Please open the disc image once it has "
                       "ended."));
        return false;
    }
    const QStringList before = DiscImages();
    if (const QString problem = SetDiscImages(paths); !problem.isEmpty()) {
        SetDiscImages(before);
        ShowMessage(this, QMessageBox::Critical, problem);
        return false;
    }
    m_takeIdleStatus = true;
    ReadDrive(0); // the first image is the first drive
    return true;
}

bool TfrmMain::SelectDrive(const QString& device) {
    TCDList list{};
    list.MaxCd = 8;
    GetCDList(&list);
    const QString wanted = QFileInfo(device).canonicalFilePath();
    for (int i = 0; i < list.NumCd; ++i) {
        const QString id = QString::fromUtf8(list.Cd[i].Id);
        if (id == device || (!wanted.isEmpty() && QFileInfo(id).canonicalFilePath() == wanted)) {
            AppOptions.DriveIndex = i;
            m_takeIdleStatus = true;
            ReadDrive(i);
            return true;
        }
    }
    ShowMessage(this, QMessageBox::Warning,
                tr("There is no CD drive %1. The drive of the options is used.").arg(device));
    return false;
}

void TfrmMain::chooseDiscImage() {
    auto* dialog = new QFileDialog(this, tr("Open Disc Image"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(tr(DiscImageFilter));
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& path) {
        if (!path.isEmpty())
            OpenDiscImages({path});
    });
    dialog->open();
}

void TfrmMain::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.first().isLocalFile() &&
        isDiscImageName(urls.first().toLocalFile()))
        event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    // The box a failure shows must not run inside the drag's own event loop.
    const QString path = urls.first().toLocalFile();
    QTimer::singleShot(0, this, [this, path] { OpenDiscImages({path}); });
}

void TfrmMain::refreshCd() {
    // A fresh handle: an image file may have changed, a drive may hold another disc.
    ReadDrive(m_driveIndex);
}

// ---- Commands ----

void TfrmMain::onRowClicked(const QModelIndex& index) {
    // A click on the check box itself already toggled it.
    if (index.column() == TTrackListModel::ColNumber) {
        const QRect box = ListView1->visualRect(index);
        const QPoint at = ListView1->viewport()->mapFromGlobal(QCursor::pos());
        if (box.contains(at) && at.x() < box.left() + ListView1->iconSize().width() + 24)
            return;
    }
    // The row clicked, whatever Ctrl+click did to the selection.
    const int row = index.row();
    if ((QGuiApplication::keyboardModifiers() & Qt::ControlModifier) && row >= 0 &&
        row < int(m_session.Rows.size()))
        m_model->SetChecked(row, !m_session.Rows[size_t(row)].Checked);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    // Space ticks the current row from any column, not only from the check box's own.
    if (watched == ListView1 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        const int row = ListView1->currentIndex().row();
        if (row >= 0 && row < int(m_session.Rows.size()))
            m_model->SetChecked(row, !m_session.Rows[size_t(row)].Checked);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::ripSelected() {
    if (m_session.Handle == 0) {
        ShowMessage(this, QMessageBox::Information,
                    tr("Please access CD devices rightly firstly!"));
        return;
    }
    if (m_model->CheckedCount() == 0) {
        ShowMessage(this, QMessageBox::Information, tr("Please select a track at least!"));
        return;
    }
    if (m_rip || m_reader)
        return;
    stopPlay(); // the rip reads the drive
    // The names are decided here, before the rip starts; a template edited by hand into
    // options.ini that is none is the user's to fix in Options.
    TRipPlan plan;
    QString error;
    if (!TRipPlan::Build(m_session.Rows, m_session.Fields, AppOptions, &plan, &error)) {
        ShowMessage(this, QMessageBox::Warning,
                    tr("The file names cannot be made: %1. Please correct the name "
                       "template in Options.")
                        .arg(error));
        return;
    }
    auto* dialog = new TfrmCDRip(m_session.Handle, plan, AppOptions, this);
    if (AppOptions.CoverArt)
        dialog->Job()->SetCover(LoadDiscCover(m_session.Key));
    QString driveName;
    const int offset = TRipJob::DriveReadOffset(m_driveIndex, AppOptions.ReadOffsets, &driveName);
    dialog->Job()->SetReadSource(driveName, offset);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_rip = dialog;
    const QString folder =
        plan.FilesFolders.empty() ? AppOptions.OutputFolder : plan.FilesFolders.front();
    connect(dialog, &QDialog::finished, this, [this, folder](int result) {
        // A window manager may leave the focus nowhere when the dialog goes: the shortcuts
        // work again only with the window active and the list focused.
        activateWindow();
        ListView1->setFocus(Qt::OtherFocusReason);
        // What the options ask for after a rip that succeeded (m_rip is still set here).
        if (result == QDialog::Accepted) {
            if (AppOptions.OpenFolderWhenDone)
                openOrSay(QUrl::fromLocalFile(folder));
            if (AppOptions.EjectWhenDone && !m_driveIsImage)
                QTimer::singleShot(0, this, [this] { moveTray(true); });
        }
        if (m_discEventWhileRipping) {
            m_discEventWhileRipping = false;
            ReadDrive(m_driveIndex);
        }
    });
    emit ripStarted(dialog);
    dialog->Start();
}

void TfrmMain::editTrackName() {
    const int row = selectedRow();
    if (row < 0)
        return;
    const TTrackRow& track = m_session.Rows[size_t(row)];
    auto* dialog = new TfrmEditTrackName(track.Title, track.Artist, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog, row] {
        if (row >= int(m_session.Rows.size()))
            return;
        m_model->SetTitle(row, dialog->Title());
        // The disc artist typed again is no performer of the track's own.
        const QString artist = dialog->Artist();
        m_model->SetArtist(row, artist == m_session.Fields.Artist ? QString() : artist);
    });
    dialog->open();
}

void TfrmMain::queryCddb() {
    if (!m_lookup)
        return;
    TTOC toc{};
    if (m_session.Handle == 0 || ReadTOC(m_session.Handle, &toc) != 1) {
        ShowMessage(this, QMessageBox::Critical, tr("Error while reading TOC information!"));
        return;
    }
    m_lookup(m_session.Handle, toc.FirstTrack, toc.LastTrack);
}

void TfrmMain::showOptions() {
    // Window-modal and shown with open(): no nested event loop while a drive read finishes.
    auto* dialog = new TfrmOptions(AppOptions, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The file name example shows where this disc's first ticked track would go.
    dialog->SetExampleDisc(m_session.Rows, m_session.Fields);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        if (dialog->DriveChanged()) {
            m_takeIdleStatus = true;
            ReadDrive(AppOptions.DriveIndex);
        }
        cbOutputFormat->setCurrentIndex(qBound(0, AppOptions.OutputFormat, OutputFormatCount - 1));
        eOutputDir->setText(AppOptions.OutputFolder);
        // Confirmed options are on disk at once: a crash or a lost session keeps them.
        try {
            SaveOptions();
        } catch (const TSettingsError& e) {
            ShowMessage(this, QMessageBox::Critical, e.Message());
        }
    });
    dialog->open();
}

void TfrmMain::browseOutputFolder() {
    auto* dialog = new QFileDialog(this, tr("Please select the folder to save the audio file"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    if (QFileInfo(AppOptions.OutputFolder).isDir())
        dialog->setDirectory(AppOptions.OutputFolder);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& folder) {
        if (folder.isEmpty())
            return;
        AppOptions.OutputFolder = QDir::cleanPath(folder);
        eOutputDir->setText(AppOptions.OutputFolder);
    });
    dialog->open();
}

// Where the desktop has no program for `url` (no xdg-open, no browser), the user is told
// where it is, so a click never does nothing.
void TfrmMain::openOrSay(const QUrl& url) {
    if (QDesktopServices::openUrl(url))
        return;
    ShowMessage(
        this, QMessageBox::Information,
        tr("No program was found to open %1")
            .arg(url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString()));
}

void TfrmMain::jumpOutputFolder() {
    if (QFileInfo(AppOptions.OutputFolder).isDir())
        openOrSay(QUrl::fromLocalFile(AppOptions.OutputFolder));
    else
        ShowMessage(this, QMessageBox::Critical,
                    tr("The output folder %1 does not exist yet: it is made when the "
                       "first file goes there.")
                        .arg(QDir::toNativeSeparators(AppOptions.OutputFolder)));
}

void TfrmMain::launchConverter(int tag) {
    if (!m_converter)
        return;
    const TConverterKind* kind = nullptr;
    for (const TConverterKind& k : ConverterKinds)
        if (k.Tag == tag)
            kind = &k;
    const QString title = kind ? tr(kind->DialogTitle) : tr("Audio Converter");
    const QString ext = QString::fromLatin1(kind ? kind->Extension : "wav");
    auto* dialog = new QFileDialog(this, title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setNameFilters({tr("Sound file(*.%1)").arg(ext), tr(" Any file(*.*)")});
    connect(dialog, &QFileDialog::filesSelected, this, [this, tag](const QStringList& files) {
        if (files.isEmpty())
            return;
        // A missing output folder is the job's question: it offers to make it.
        m_converter(files, tag);
    });
    dialog->open();
}

void TfrmMain::showAbout() {
    auto* box = new QMessageBox(
        QMessageBox::NoIcon, tr("About Free Sondrel"),
        tr("<b>Free Sondrel %1</b><p>Copies audio CDs to MP3, WAV, OGG, WMA, FLAC and "
           "APE files.</p><p><a href=\"%2\">%2</a></p><p>%3</p>"
           "<p>This program is free software under the <a href=\"%4\">GNU General "
           "Public License, version 3 or later</a> (%5). It comes with NO "
           "WARRANTY, to the extent permitted by law.</p>")
            .arg(QStringLiteral(SONDREL_VERSION), HomePageAddress(),
                 QString::fromLatin1(SondrelCopyright)
                     .replace(QLatin1String("(C)"), QStringLiteral("&copy;")),
                 QLatin1String(SondrelLicenceUrl), QLatin1String(SondrelLicenceId)),
        QMessageBox::Ok, this);
    box->setIconPixmap(windowIcon().pixmap(64, 64));
    box->setAttribute(Qt::WA_DeleteOnClose);
    PresentBox(box);
}

// ---- Playback and the tray ----

void TfrmMain::UsePlayerSink(std::unique_ptr<TPcmSink> sink) {
    if (m_player) {
        stopPlay();
        delete m_player; // its signals go with it
    }
    m_player = new TCdPlayer(std::move(sink), this);
    connect(m_player, &TCdPlayer::finished, this, [this] { playEnded(QString()); });
    connect(m_player, &TCdPlayer::failed, this, &TfrmMain::playEnded);
}

// Plays the selected row's own track number; while paused, resumes the paused track instead.
void TfrmMain::playSelected() {
    const int row = selectedRow();
    if (row < 0 || m_rip)
        return;
    if (m_playing && m_paused) {
        m_player->Resume();
        m_paused = false;
        SetStatusText(
            tr("Play %1").arg(m_playTitle)); // the track that goes on, not the selected one
        showElapsed();
        updateActions();
        return;
    }
    const TTrackRow track = m_session.Rows[size_t(row)];
    m_player->Open(m_session.Handle); // stops a play of another track
    if (!m_player->PlayTrack(track.Number)) {
        const QString why = m_player->ErrorText();
        stopPlay();
        SetStatusText(tr("Can not play %1: %2").arg(track.Title, why));
        return;
    }
    m_playing = true;
    m_paused = false;
    m_playTitle = track.Title;
    SetStatusText(tr("Play %1").arg(track.Title));
    showElapsed();
    m_elapsed->show();
    m_elapsedTimer->start();
    updateActions();
}

void TfrmMain::pausePlay() {
    if (!m_playing || m_paused)
        return;
    m_paused = true;
    m_player->Pause();
    showElapsed();
    updateActions();
}

// Ends a play and restores the idle status text; nothing happens when none runs.
void TfrmMain::stopPlay() {
    if (!m_playing)
        return;
    m_playing = false;
    m_paused = false;
    m_player->Stop();
    m_elapsedTimer->stop();
    m_elapsed->hide();
    SetStatusText(m_idleStatus);
    updateActions();
}

// The player's end: the track played out (`failure` empty) or could not go on.
void TfrmMain::playEnded(const QString& failure) {
    stopPlay();
    if (!failure.isEmpty())
        SetStatusText(tr("Playback stopped: %1").arg(failure));
}

QString TfrmMain::ElapsedText() const {
    if (!m_playing)
        return QString();
    const int start = m_player->StartSector();
    QString text = TCdPlayer::TimeText(m_player->Position() - start) + QStringLiteral(" / ") +
                   TCdPlayer::TimeText(m_player->EndSector() - start);
    if (m_paused)
        text = tr("%1 (paused)").arg(text);
    return text;
}

void TfrmMain::showElapsed() {
    m_elapsed->setText(ElapsedText());
}

// Opens or closes the drive's tray on a worker thread (it takes seconds); a disc image has none.
void TfrmMain::moveTray(bool open) {
    if (m_tray || m_rip)
        return;
    if (m_session.Handle == 0) {
        SetStatusText(StatusNoDevices);
        return;
    }
    const QString noTray =
        open ? tr("A disc image has no tray to open.") : tr("A disc image has no tray to close.");
    if (m_driveIsImage) {
        SetStatusText(noTray);
        return;
    }
    stopPlay(); // the disc goes, or another comes
    auto result = std::make_shared<std::pair<int, QString>>(0, QString());
    const HCDROM handle = m_session.Handle;
    m_tray = QThread::create([handle, open, result] {
        result->first = MoveCDTray(handle, open ? 1 : 0, &result->second);
    });
    connect(m_tray, &QThread::finished, this, [this, open, result, noTray] {
        waitForTray();
        if (result->first < 0)
            SetStatusText(noTray);
        else if (result->first == 0)
            SetStatusText(
                (open ? tr("Can not open the tray: %1") : tr("Can not close the tray: %1"))
                    .arg(result->second));
        updateActions();
    });
    m_tray->start();
    updateActions();
}

void TfrmMain::waitForTray() {
    if (!m_tray)
        return;
    m_tray->wait();
    delete m_tray;
    m_tray = nullptr;
}

void TfrmMain::BringToFront() {
    show();
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
}

// ---- Window events ----

void TfrmMain::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_noDiscAtStart)
        SetStatusText(StatusNoAudioCd);
    QMainWindow::changeEvent(event);
}

QStringList TfrmMain::SaveAll() {
    QStringList problems;
    try {
        SaveDiscTexts();
    } catch (const TSettingsError& e) {
        problems << e.Message();
    }
    try {
        SaveOptions();
    } catch (const TSettingsError& e) {
        problems << e.Message();
    }
    return problems;
}

// Every step runs even when one before it failed; returns what went wrong.
QStringList TfrmMain::closeDown() {
    QStringList problems;
    if (m_rip)
        delete m_rip; // stops the rip and waits for its worker and encoder
    stopPlay();
    m_player->Close();
    waitForTray();
    dropReader();
    try {
        SaveDiscTexts();
    } catch (const TSettingsError& e) {
        problems << e.Message();
    }
    m_monitor->Watch(QString(), false);
    if (!m_session.CloseDrive())
        problems << tr("Error occur when closing CD handle!");
    try {
        SaveOptions();
    } catch (const TSettingsError& e) {
        problems << e.Message();
    }
    return problems;
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (m_closed) {
        event->accept();
        return;
    }
    m_closed = true;
    const QStringList problems = closeDown();
    if (problems.isEmpty()) {
        event->accept();
        return;
    }
    // The window stays until the user has read what could not be saved.
    event->ignore();
    ShowMessage(this, QMessageBox::Critical, problems.join(QStringLiteral("\n\n")),
                [this] { close(); });
}
