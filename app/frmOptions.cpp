#include "frmOptions.h"

#include "MessageBoxes.h"
#include "audio/ReplayGain.h"
#include "cdrip/RipPlan.h"
#include "codecs/ACS_MAC.h"
#include "codecs/WmaFormats.h"
#include "disc/CdAccess.h"
#include "encode/OutputFormats.h"
#include "encode/OutputNaming.h"
#include "settings/ReadMode.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

const int TfrmOptions::Mp3BitRates[14] = {32,  40,  48,  56,  64,  80,  96,
                                          112, 128, 160, 192, 224, 256, 320};

namespace {

const int LameDefaultMinIndex = 8;  // 128 kbit/s
const int LameDefaultMaxIndex = 13; // 320 kbit/s
const int WmaDefaultFormat = 29;    // 128 kbit/s, 44.1 kHz, stereo of codec 0

// The name templates the preset box offers: caption, template.
const std::pair<const char*, const char*> NamePresets[] = {
    {QT_TRANSLATE_NOOP("TfrmOptions", "Title"), "{title}"},
    {QT_TRANSLATE_NOOP("TfrmOptions", "NN Title"), "{track} {title}"},
    {QT_TRANSLATE_NOOP("TfrmOptions", "Album artist/Album/NN Title"),
     "{albumartist}/{album}/{track} {title}"},
    {QT_TRANSLATE_NOOP("TfrmOptions", "Album artist/Album (Year)/NN Title"),
     "{albumartist}/{album} ({year})/{track} {title}"},
};

// "128 kbit/s" with the number right-aligned in three characters, as the lists show rates.
QString rateText(int kbits) {
    return QStringLiteral("%1 kbit/s").arg(kbits, 3);
}

// The kbit/s number of a bit-rate field: a whole number, optionally followed by "kbit/s".
std::optional<int> parseRate(QString text) {
    text = text.trimmed();
    if (text.endsWith(QLatin1String("kbit/s"), Qt::CaseInsensitive))
        text.chop(6);
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

bool isMp3Rate(int kbits) {
    for (int r : TfrmOptions::Mp3BitRates)
        if (r == kbits)
            return true;
    return false;
}

// The levels the APE compressor has; it writes any other value at 2000.
bool isApeLevel(int level) {
    return TMACOut::IsCompressionLevel(level);
}

QComboBox* dropDown(QWidget* parent, const char* name, const QStringList& items) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    return box;
}

QSlider* trackBar(QWidget* parent, const char* name, int min, int max) {
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setRange(min, max);
    bar->setPageStep(1);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setTickInterval(1);
    return bar;
}

// A CPU-usage track bar between its "Less" and "More" labels.
QHBoxLayout* lessMore(QSlider* bar) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(TfrmOptions::tr("Less", "CPU usage")));
    row->addWidget(bar, 1);
    row->addWidget(new QLabel(TfrmOptions::tr("More", "CPU usage")));
    return row;
}

QLabel* label(const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text);
    l->setBuddy(buddy);
    return l;
}

// The fault of a template as a sentence: "The name template has ...".
QString templateFault(QString error) {
    if (!error.isEmpty())
        error[0] = error[0].toUpper();
    return error + QLatin1Char('.');
}

QStringList numbers(int from, int to) {
    QStringList list;
    for (int i = from; i <= to; ++i)
        list << QString::number(i);
    return list;
}

} // namespace

TfrmOptions::TfrmOptions(TAppOptions& options, QWidget* parent)
    : QDialog(parent), m_options(options) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(tr("Options"));
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->addTab(buildOutputPage(), tr("O&utput"));
    PageControl1->addTab(buildLamePage(), QStringLiteral("&LAME"));
    PageControl1->addTab(buildOggPage(), QStringLiteral("O&GG"));
    PageControl1->addTab(buildWmaPage(), QStringLiteral("&WMA"));
    PageControl1->addTab(buildFlacPage(), QStringLiteral("&FLAC"));
    PageControl1->addTab(buildApePage(), QStringLiteral("A&PE"));
    // Every letter of "Opus" and "AAC" is a mnemonic of a tab or of the Output page already,
    // as for "More": Ctrl+Tab reaches these pages.
    PageControl1->addTab(buildOpusPage(), QStringLiteral("Opus"));
    PageControl1->addTab(buildAacPage(), QStringLiteral("AAC"));
    // Every letter of "More" is another control's mnemonic already; Ctrl+Tab reaches the page.
    PageControl1->addTab(buildMorePage(), tr("More"));

    auto* buttons = new QDialogButtonBox(this);
    btOk = buttons->addButton(tr("&OK"), QDialogButtonBox::AcceptRole);
    btOk->setObjectName(QStringLiteral("btOk"));
    btCancel = buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btOk->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    load();
    PageControl1->setCurrentIndex(0);
}

QWidget* TfrmOptions::buildOutputPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));

    auto* gbFolder = new QGroupBox(tr("Output fol&der"), page);
    editOutputDir = new QLineEdit(gbFolder);
    editOutputDir->setObjectName(QStringLiteral("editOutputDir"));
    editOutputDir->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    btBrowser = new QPushButton(tr("&Browse..."), gbFolder);
    btBrowser->setObjectName(QStringLiteral("btBrowser"));
    ckbKeepWav = new QCheckBox(tr("Dele&te WAV file after processing"), gbFolder);
    ckbKeepWav->setObjectName(QStringLiteral("ckbKeepWav"));
    auto* folderLayout = new QGridLayout(gbFolder);
    folderLayout->addWidget(editOutputDir, 0, 0);
    folderLayout->addWidget(btBrowser, 0, 1);
    folderLayout->addWidget(ckbKeepWav, 1, 0, 1, 2);

    auto* gbFormat = new QGroupBox(tr("Output format"), page);
    cbOutputFormat = dropDown(gbFormat, "cbOutputFormat",
                              {tr("MP3 file(*.MP3)"), tr("WAV file(*.WAV)"), tr("OGG file(*.OGG)"),
                               tr("WMA file(*.WMA)"), tr("FLAC file(*.FLAC)"),
                               tr("APE FILE(*.APE)"), tr("Opus file(*.opus)"),
                               tr("AAC file(*.m4a)"), tr("Apple Lossless file(*.m4a)")});
    ckNormalize = new QCheckBox(tr("&Normalize"), gbFormat);
    ckNormalize->setObjectName(QStringLiteral("ckNormalize"));
    SpinEdit1 = new QSpinBox(gbFormat);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    // 0 % would make every rip silent.
    SpinEdit1->setRange(1, 100);
    SpinEdit1->setValue(95);
    SpinEdit1->setEnabled(false);
    auto* formatRow = new QHBoxLayout;
    formatRow->addWidget(label(tr("Fo&rmat:"), cbOutputFormat));
    formatRow->addWidget(cbOutputFormat, 1);
    auto* normalizeRow = new QHBoxLayout;
    normalizeRow->addWidget(ckNormalize);
    normalizeRow->addWidget(SpinEdit1);
    normalizeRow->addWidget(new QLabel(QStringLiteral("%")));
    // The ReplayGain tags of rips and conversions, in the order of TReplayGain::TMode.
    cbReplayGain = dropDown(gbFormat, "cbReplayGain",
                            {tr("Off"), tr("Track gain"), tr("Track and album gain")});
    normalizeRow->addSpacing(16);
    normalizeRow->addWidget(label(tr("R&eplayGain:"), cbReplayGain));
    normalizeRow->addWidget(cbReplayGain);
    normalizeRow->addStretch(1);
    // Further formats from the same read: a box for each format.
    auto* alsoRow = new QHBoxLayout;
    for (int f = 0; f < OutputFormatCount; ++f) {
        auto* box = new QCheckBox(FormatName(f), gbFormat);
        box->setObjectName(QStringLiteral("ckAlso") + FormatName(f));
        ckAlsoFormats.push_back(box);
    }
    alsoRow->addWidget(label(tr("Also wr&ite:"), ckAlsoFormats.front()));
    for (QCheckBox* box : ckAlsoFormats)
        alsoRow->addWidget(box);
    alsoRow->addStretch(1);
    auto* formatLayout = new QVBoxLayout(gbFormat);
    formatLayout->addLayout(formatRow);
    formatLayout->addLayout(alsoRow);
    formatLayout->addLayout(normalizeRow);

    cbCDList = new QComboBox(page);
    cbCDList->setObjectName(QStringLiteral("cbCDList"));
    auto* driveRow = new QHBoxLayout;
    driveRow->addWidget(label(tr("De&vice:"), cbCDList));
    driveRow->addWidget(cbCDList, 1);

    auto* gbNames = new QGroupBox(tr("File names"), page);
    editNameTemplate = new QLineEdit(gbNames);
    editNameTemplate->setObjectName(QStringLiteral("editNameTemplate"));
    editNameTemplate->setToolTip(
        tr("The path of each file below the output folder: \"/\" between folders "
           "and the fields {%1}. The extension is added.")
            .arg(TNameTemplate::FieldNames().join(QStringLiteral("} {"))));
    cbNamePreset = new QComboBox(gbNames);
    cbNamePreset->setObjectName(QStringLiteral("cbNamePreset"));
    for (const auto& [caption, text] : NamePresets)
        cbNamePreset->addItem(tr(caption), QString::fromLatin1(text));
    cbNamePreset->setPlaceholderText(tr("Own template"));
    lbNameExample = new QLabel(gbNames);
    lbNameExample->setObjectName(QStringLiteral("lbNameExample"));
    lbNameExample->setTextFormat(Qt::PlainText); // titles are no markup
    lbNameExample->setWordWrap(true);
    lbNameExample->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Long paths and faults wrap instead of widening the dialog.
    lbNameExample->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // Room for the longest fault (an unknown field and the list of fields), so the dialog does
    // not grow and shrink while the user types.
    lbNameExample->setMinimumHeight(fontMetrics().lineSpacing() * 3);
    lbNameExample->setAlignment(Qt::AlignLeft | Qt::AlignTop); // level with its caption
    ckFatSafeNames = new QCheckBox(tr("FAT-safe n&ames"), gbNames);
    ckFatSafeNames->setObjectName(QStringLiteral("ckFatSafeNames"));
    ckFatSafeNames->setToolTip(tr("Names that FAT, exFAT and NTFS drives also take: "
                                  "no \\ : * ? \" < > |, no trailing dot, no CON, "
                                  "NUL, ..."));
    ckWritePlaylist = new QCheckBox(tr("Write a pla&ylist"), gbNames);
    ckWritePlaylist->setObjectName(QStringLiteral("ckWritePlaylist"));
    ckWritePlaylist->setToolTip(tr("\"<album>.m3u8\" beside the rip log"));
    ckWriteCueSheet = new QCheckBox(tr("Write a cue s&heet"), gbNames);
    ckWriteCueSheet->setObjectName(QStringLiteral("ckWriteCueSheet"));
    ckWriteCueSheet->setToolTip(tr("\"<album>.cue\" naming the ripped files, beside the rip log"));
    // A grid, not a form: the example's caption stays on its first line however many it has.
    auto* namesForm = new QGridLayout;
    namesForm->addWidget(label(tr("Te&mplate:"), editNameTemplate), 0, 0);
    namesForm->addWidget(editNameTemplate, 0, 1);
    namesForm->addWidget(label(tr("Pre&set:"), cbNamePreset), 1, 0);
    namesForm->addWidget(cbNamePreset, 1, 1);
    namesForm->addWidget(new QLabel(tr("Example:")), 2, 0, Qt::AlignTop);
    namesForm->addWidget(lbNameExample, 2, 1);
    namesForm->setColumnStretch(1, 1);
    auto* namesChecks = new QHBoxLayout;
    namesChecks->addWidget(ckFatSafeNames);
    namesChecks->addWidget(ckWritePlaylist);
    namesChecks->addWidget(ckWriteCueSheet);
    namesChecks->addStretch(1);
    auto* namesLayout = new QVBoxLayout(gbNames);
    namesLayout->addLayout(namesForm);
    namesLayout->addLayout(namesChecks);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(gbFolder);
    layout->addWidget(gbFormat);
    layout->addWidget(gbNames);
    layout->addLayout(driveRow);
    layout->addStretch(1);

    connect(btBrowser, &QPushButton::clicked, this, &TfrmOptions::browse);
    connect(cbNamePreset, &QComboBox::activated, this, [this](int index) {
        editNameTemplate->setText(cbNamePreset->itemData(index).toString());
    });
    connect(editNameTemplate, &QLineEdit::textChanged, this, &TfrmOptions::updateNameExample);
    connect(cbOutputFormat, &QComboBox::currentIndexChanged, this, &TfrmOptions::updateNameExample);
    connect(ckFatSafeNames, &QCheckBox::toggled, this, &TfrmOptions::updateNameExample);
    connect(ckNormalize, &QCheckBox::toggled, SpinEdit1, &QWidget::setEnabled);
    // Nothing is deleted when the output is the WAV itself; the box keeps its state.
    connect(cbOutputFormat, &QComboBox::currentIndexChanged, this,
            [this](int index) { ckbKeepWav->setEnabled(index != 1); });
    // The chosen format is written anyway: its "also" box is not a choice. Choosing a format
    // that was ticked swaps the two, so the rip still writes the same formats.
    connect(cbOutputFormat, &QComboBox::currentIndexChanged, this, [this](int index) {
        const size_t now = size_t(index);
        if (now < ckAlsoFormats.size() && ckAlsoFormats[now]->isChecked() && m_shownFormat >= 0 &&
            size_t(m_shownFormat) < ckAlsoFormats.size())
            ckAlsoFormats[size_t(m_shownFormat)]->setChecked(true);
        for (size_t f = 0; f < ckAlsoFormats.size(); ++f) {
            ckAlsoFormats[f]->setEnabled(f != now);
            if (f == now)
                ckAlsoFormats[f]->setChecked(false);
        }
        m_shownFormat = index;
    });
    for (QCheckBox* box : ckAlsoFormats)
        connect(box, &QCheckBox::toggled, this, &TfrmOptions::updateNameExample);
    return page;
}

QWidget* TfrmOptions::buildLamePage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));

    auto* gbRate = new QGroupBox(tr("Bit Rate"), page);
    rbCBR = new QRadioButton(tr("C&BR(Constant Bit Rate)"), gbRate);
    rbCBR->setObjectName(QStringLiteral("rbCBR"));
    rbCBR->setChecked(true);
    cbConstantBitRate = dropDown(gbRate, "cbConstantBitRate",
                                 {"48", "56", "64", "80", "96", "128", "192", "256", "320"});
    cbConstantBitRate->setCurrentIndex(5);
    rbVBR = new QRadioButton(tr("&VBR(Variable Bit Rate)"), gbRate);
    rbVBR->setObjectName(QStringLiteral("rbVBR"));
    ckbVBRHead = new QCheckBox(tr("Write MP3 VBR &Header"), gbRate);
    ckbVBRHead->setObjectName(QStringLiteral("ckbVBRHead"));
    QStringList rates;
    for (int r : Mp3BitRates)
        rates << rateText(r);
    cbMinBitRate = dropDown(gbRate, "cbMinBitRate", rates);
    cbMaxBitRate = dropDown(gbRate, "cbMaxBitRate", rates);
    for (QComboBox* box : {cbMinBitRate, cbMaxBitRate}) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert); // Enter means OK, not "add to the list"
    }
    cbVBRQuality = dropDown(gbRate, "cbVBRQuality", numbers(0, 9));
    auto* vbrFields = new QFormLayout;
    vbrFields->addRow(label(tr("Mi&nimum bitrate:"), cbMinBitRate), cbMinBitRate);
    vbrFields->addRow(label(tr("Ma&ximum bitrate:"), cbMaxBitRate), cbMaxBitRate);
    vbrFields->addRow(label(tr("VBR &Quality:"), cbVBRQuality), cbVBRQuality);
    auto* rateLayout = new QGridLayout(gbRate);
    rateLayout->addWidget(rbCBR, 0, 0);
    rateLayout->addWidget(cbConstantBitRate, 0, 1);
    rateLayout->addWidget(rbVBR, 1, 0);
    rateLayout->addWidget(ckbVBRHead, 1, 1);
    rateLayout->addLayout(vbrFields, 2, 0, 1, 2);

    auto* gbChannels = new QGroupBox(tr("Chann&els"), page);
    cbStereoMode = dropDown(gbChannels, "cbStereoMode",
                            {tr("Stereo"), tr("Joint Stereo"), tr("Dual Channels"), tr("Mono")});
    (new QVBoxLayout(gbChannels))->addWidget(cbStereoMode);

    auto* gbCpu = new QGroupBox(tr("CPU U&sage"), page);
    tbMP3Cpu = trackBar(gbCpu, "tbMP3Cpu", 1, 3);
    tbMP3Cpu->setValue(3);
    auto* cpuLayout = new QVBoxLayout(gbCpu);
    cpuLayout->addLayout(lessMore(tbMP3Cpu));

    bDefault = new QPushButton(tr("&Default"), page);
    bDefault->setObjectName(QStringLiteral("bDefault"));

    auto* lower = new QHBoxLayout;
    lower->addWidget(gbChannels);
    lower->addWidget(gbCpu);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(gbRate);
    layout->addLayout(lower);
    layout->addWidget(bDefault, 0, Qt::AlignRight);
    layout->addStretch(1);

    connect(rbVBR, &QRadioButton::toggled, this, &TfrmOptions::updateVbrControls);
    connect(bDefault, &QPushButton::clicked, this, &TfrmOptions::lameDefaults);
    return page;
}

QWidget* TfrmOptions::buildOggPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet5"));
    cbUseCompress = new QCheckBox(tr("Use &Quality setting"), page);
    cbUseCompress->setObjectName(QStringLiteral("cbUseCompress"));
    tbCompression = new QSlider(Qt::Horizontal, page);
    tbCompression->setObjectName(QStringLiteral("tbCompression"));
    tbCompression->setRange(30, 100);
    tbCompression->setValue(30);
    // The value as oggenc's -q scale names it: the encoder takes (position - 10) / 100.
    lbOggQuality = new QLabel(page);
    lbOggQuality->setObjectName(QStringLiteral("lbOggQuality"));
    lbOggQuality->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("q 10.0")));
    auto showQuality = [this](int position) {
        lbOggQuality->setText(QStringLiteral("q %1").arg((position - 10) / 10.0, 0, 'f', 1));
    };
    connect(tbCompression, &QSlider::valueChanged, this, showQuality);
    showQuality(tbCompression->value());
    auto* qualityRow = new QHBoxLayout;
    qualityRow->addWidget(lbOggQuality);
    qualityRow->addWidget(tbCompression, 1);
    qualityRow->addWidget(label(tr("-> &Highest quality"), tbCompression));

    auto* gbManager = new QGroupBox(tr("Use Bitrate manager"), page);
    QStringList choices{tr(" Default")};
    for (int r : {45, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256, 320})
        choices << rateText(r);
    cbOggNomBit = dropDown(gbManager, "cbOggNomBit", choices);
    cbOggMaxBit = dropDown(gbManager, "cbOggMaxBit", choices);
    cbOggMinBit = dropDown(gbManager, "cbOggMinBit", choices);
    auto* form = new QFormLayout(gbManager);
    form->addRow(label(tr("&Nominal bitrate:"), cbOggNomBit), cbOggNomBit);
    form->addRow(label(tr("Ma&ximum bitrate:"), cbOggMaxBit), cbOggMaxBit);
    form->addRow(label(tr("M&inimum bitrate:"), cbOggMinBit), cbOggMinBit);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(cbUseCompress);
    layout->addLayout(qualityRow);
    layout->addWidget(gbManager);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmOptions::buildWmaPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet6"));
    lbCodecs = new QListWidget(page);
    lbCodecs->setObjectName(QStringLiteral("lbCodecs"));
    lbCodecs->addItems(TWmaFormats::CodecNames());
    lbFormats = new QListWidget(page);
    lbFormats->setObjectName(QStringLiteral("lbFormats"));
    lbFormats->setMinimumWidth(fontMetrics().averageCharWidth() * 32);
    cbWMA_VBR = new QCheckBox(tr("&VBR(Variable Bit Rate)"), page);
    cbWMA_VBR->setObjectName(QStringLiteral("cbWMA_VBR"));
    bWMADefault = new QPushButton(tr("&Default"), page);
    bWMADefault->setObjectName(QStringLiteral("bWMADefault"));

    auto* lists = new QGridLayout;
    lists->addWidget(label(tr("Codec&s"), lbCodecs), 0, 0);
    lists->addWidget(label(tr("Fo&rmats"), lbFormats), 0, 1);
    lists->addWidget(lbCodecs, 1, 0);
    lists->addWidget(lbFormats, 1, 1);
    lists->setColumnStretch(1, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(cbWMA_VBR);
    bottom->addStretch(1);
    bottom->addWidget(bWMADefault);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(lists, 1);
    layout->addLayout(bottom);

    connect(lbCodecs, &QListWidget::currentRowChanged, this, [this] {
        fillFormats();
        lbFormats->setCurrentRow(0);
        updateWmaVbrBox();
    });
    connect(cbWMA_VBR, &QCheckBox::toggled, this, [this] {
        fillFormats();
        lbFormats->setCurrentRow(0);
        updateWmaVbrBox();
    });
    connect(bWMADefault, &QPushButton::clicked, this, &TfrmOptions::wmaDefaults);
    return page;
}

QWidget* TfrmOptions::buildFlacPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet4"));
    auto* group = new QGroupBox(tr("Co&mpression"), page);
    cbFlacCompression = dropDown(group, "cbFlacCompression", numbers(0, 8));
    cbFlacCompression->setCurrentIndex(2);
    (new QVBoxLayout(group))->addWidget(cbFlacCompression);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmOptions::buildApePage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet3"));
    auto* gbCpu = new QGroupBox(tr("CPU U&sage"), page);
    tbAPECpuUsage = trackBar(gbCpu, "tbAPECpuUsage", 1, 3);
    tbAPECpuUsage->setValue(3);
    (new QVBoxLayout(gbCpu))->addLayout(lessMore(tbAPECpuUsage));

    auto* gbLevel = new QGroupBox(tr("Co&mpression"), page);
    seAPECompression = new QSpinBox(gbLevel);
    seAPECompression->setObjectName(QStringLiteral("seAPECompression"));
    seAPECompression->setRange(1000, 10000);
    seAPECompression->setSingleStep(500);
    seAPECompression->setValue(2000);
    seAPECompression->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    lbApeLevelNote =
        new QLabel(tr("The compressor has the levels 1000, 2000, 3000, 4000 and 5000 only: "
                      "this one is written at 2000."),
                   gbLevel);
    lbApeLevelNote->setObjectName(QStringLiteral("lbApeLevelNote"));
    lbApeLevelNote->setWordWrap(true);
    lbApeLevelNote->setVisible(false);
    auto* levelLayout = new QHBoxLayout(gbLevel);
    levelLayout->addWidget(seAPECompression);
    levelLayout->addWidget(lbApeLevelNote, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(gbCpu);
    layout->addWidget(gbLevel);
    layout->addStretch(1);

    connect(seAPECompression, &QSpinBox::valueChanged, this,
            [this](int level) { lbApeLevelNote->setVisible(!isApeLevel(level)); });
    return page;
}

QWidget* TfrmOptions::buildOpusPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheetOpus"));
    // The group's mnemonic moves the focus to the spin box, as the FLAC page's does.
    auto* gbRate = new QGroupBox(tr("&Bit rate"), page);
    seOpusBitrate = new QSpinBox(gbRate);
    seOpusBitrate->setObjectName(QStringLiteral("seOpusBitrate"));
    seOpusBitrate->setRange(6, 256);
    seOpusBitrate->setSingleStep(8);
    seOpusBitrate->setSuffix(QStringLiteral(" kbit/s"));
    seOpusBitrate->setValue(128);
    seOpusBitrate->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* rateNote = new QLabel(tr("Variable bit rate: the encoder aims at this "
                                   "average. 128 kbit/s suits stereo music."),
                                gbRate);
    rateNote->setWordWrap(true);
    auto* rateRow = new QHBoxLayout(gbRate);
    rateRow->addWidget(seOpusBitrate);
    rateRow->addWidget(rateNote, 1);

    auto* gbComplexity = new QGroupBox(tr("Co&mplexity"), page);
    tbOpusComplexity = trackBar(gbComplexity, "tbOpusComplexity", 0, 10);
    tbOpusComplexity->setValue(10);
    (new QVBoxLayout(gbComplexity))->addLayout(lessMore(tbOpusComplexity));

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(gbRate);
    layout->addWidget(gbComplexity);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmOptions::buildAacPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheetAac"));
    auto* gbRate = new QGroupBox(tr("&Bit rate"), page);
    seAacBitrate = new QSpinBox(gbRate);
    seAacBitrate->setObjectName(QStringLiteral("seAacBitrate"));
    seAacBitrate->setRange(32, 320);
    seAacBitrate->setSingleStep(16);
    seAacBitrate->setSuffix(QStringLiteral(" kbit/s"));
    seAacBitrate->setValue(192);
    seAacBitrate->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* rateNote = new QLabel(tr("Constant bit rate, AAC-LC. Apple Lossless files "
                                   "have no settings."),
                                gbRate);
    rateNote->setWordWrap(true);
    auto* rateRow = new QHBoxLayout(gbRate);
    rateRow->addWidget(seAacBitrate);
    rateRow->addWidget(rateNote, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(gbRate);
    layout->addStretch(1);
    return page;
}

// Settings beyond the classic six pages.
QWidget* TfrmOptions::buildMorePage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheetMore"));
    auto* gbConvert = new QGroupBox(tr("File converter"), page);
    seConverterJobs = new QSpinBox(gbConvert);
    seConverterJobs->setObjectName(QStringLiteral("seConverterJobs"));
    seConverterJobs->setRange(0, 64);
    seConverterJobs->setSpecialValueText(tr("one per core"));
    auto* label = new QLabel(tr("Files converted at the same &time:"), gbConvert);
    label->setBuddy(seConverterJobs);
    auto* form = new QFormLayout(gbConvert);
    form->addRow(label, seConverterJobs);
    auto* gbCover = new QGroupBox(tr("Lookups"), page);
    ckCoverArt = new QCheckBox(tr("Fetch the front co&ver with a MusicBrainz lookup, "
                                  "embed it and save it beside the files"),
                               gbCover);
    ckCoverArt->setObjectName(QStringLiteral("ckCoverArt"));
    auto* coverLayout = new QVBoxLayout(gbCover);
    coverLayout->addWidget(ckCoverArt);
    // The CDDB hello and the MusicBrainz User-Agent carry it, as those databases ask.
    editEmail = new QLineEdit(gbCover);
    editEmail->setObjectName(QStringLiteral("editEmail"));
    editEmail->setPlaceholderText(tr("you@example.org (CDDB and MusicBrainz ask for it)"));
    auto* emailLabel = new QLabel(tr("Your e-&mail for the lookups:"), gbCover);
    emailLabel->setBuddy(editEmail);
    auto* emailForm = new QFormLayout;
    emailForm->addRow(emailLabel, editEmail);
    coverLayout->addLayout(emailForm);
    auto* gbSecure = new QGroupBox(tr("Reading and verification"), page);
    // One line each on what the mode costs in reading time.
    rbReadPlain = new QRadioButton(
        tr("Pl&ain: each sector read once at full speed; nothing proves the copy"), gbSecure);
    rbReadPlain->setObjectName(QStringLiteral("rbReadPlain"));
    rbReadSecure = new QRadioButton(
        tr("S&ecure: each sector read until two reads agree; twice the reading time"), gbSecure);
    rbReadSecure->setObjectName(QStringLiteral("rbReadSecure"));
    rbReadVerifyFirst =
        new QRadioButton(tr("Ver&ify first: read once; tracks the database does not "
                            "confirm are read again securely"),
                         gbSecure);
    rbReadVerifyFirst->setObjectName(QStringLiteral("rbReadVerifyFirst"));
    editAccurateRipServer = new QLineEdit(gbSecure);
    editAccurateRipServer->setObjectName(QStringLiteral("editAccurateRipServer"));
    editAccurateRipServer->setPlaceholderText(tr("none: no database check"));
    auto* serverLabel = new QLabel(tr("AccurateRip &server:"), gbSecure);
    serverLabel->setBuddy(editAccurateRipServer);
    auto* secureForm = new QFormLayout(gbSecure);
    secureForm->addRow(rbReadPlain);
    secureForm->addRow(rbReadSecure);
    secureForm->addRow(rbReadVerifyFirst);
    secureForm->addRow(serverLabel, editAccurateRipServer);
    ckAutoLookup = new QCheckBox(tr("Look up a disc when it is i&nserted"), gbCover);
    ckAutoLookup->setObjectName(QStringLiteral("ckAutoLookup"));
    coverLayout->addWidget(ckAutoLookup);
    auto* gbAfterRip = new QGroupBox(tr("After a rip"), page);
    ckEjectWhenDone = new QCheckBox(tr("E&ject the disc"), gbAfterRip);
    ckEjectWhenDone->setObjectName(QStringLiteral("ckEjectWhenDone"));
    ckOpenFolderWhenDone = new QCheckBox(tr("Open t&he output folder"), gbAfterRip);
    ckOpenFolderWhenDone->setObjectName(QStringLiteral("ckOpenFolderWhenDone"));
    auto* afterLayout = new QHBoxLayout(gbAfterRip);
    afterLayout->addWidget(ckEjectWhenDone);
    afterLayout->addWidget(ckOpenFolderWhenDone);
    afterLayout->addStretch(1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(gbConvert);
    layout->addWidget(gbAfterRip);
    layout->addWidget(gbCover);
    layout->addWidget(gbSecure);
    layout->addStretch(1);
    return page;
}

void TfrmOptions::load() {
    const TAppOptions& o = m_options;
    editOutputDir->setText(o.OutputFolder);
    cbOutputFormat->setCurrentIndex(o.OutputFormat);
    ckbKeepWav->setEnabled(cbOutputFormat->currentIndex() != 1);
    m_shownFormat = o.OutputFormat;
    const std::vector<int> formats = RipFormatsOf(o);
    for (size_t f = 0; f < ckAlsoFormats.size(); ++f) {
        ckAlsoFormats[f]->setChecked(std::find(formats.begin() + 1, formats.end(), int(f)) !=
                                     formats.end());
        ckAlsoFormats[f]->setEnabled(int(f) != o.OutputFormat);
    }
    ckbKeepWav->setChecked(!o.IsKeepWav);
    ckFatSafeNames->setChecked(o.FatSafeNames);
    ckWritePlaylist->setChecked(o.WritePlaylist);
    ckWriteCueSheet->setChecked(o.WriteCueSheet);
    editNameTemplate->setText(o.NameTemplate);
    updateNameExample();
    ckNormalize->setChecked(o.IsNormalize);
    SpinEdit1->setEnabled(o.IsNormalize);
    SpinEdit1->setValue(o.NormalizePercent);
    TReplayGain::TMode gainMode = TReplayGain::TMode::Off;
    TReplayGain::ParseMode(o.ReplayGainMode, &gainMode);
    cbReplayGain->setCurrentIndex(int(gainMode));
    (o.IsSelectVBR ? rbVBR : rbCBR)->setChecked(true);
    ckbVBRHead->setChecked(o.IsVBRHead);
    cbMinBitRate->setEditText(QStringLiteral("%1 kbit/s").arg(o.BitRate));
    cbMaxBitRate->setEditText(QStringLiteral("%1 kbit/s").arg(o.MaxBitRate));
    cbVBRQuality->setCurrentIndex(o.VBRQuality);
    cbStereoMode->setCurrentIndex(o.StereoMode);
    tbMP3Cpu->setValue(o.Mp3Cpu);
    cbConstantBitRate->setCurrentIndex(o.ConstantBitRate);
    updateVbrControls();

    cbUseCompress->setChecked(o.IsUseCompress);
    tbCompression->setValue(o.CompressPosition);
    cbOggMaxBit->setCurrentIndex(o.OggMaxBitRate);
    cbOggNomBit->setCurrentIndex(o.OggNomalBitRate);
    cbOggMinBit->setCurrentIndex(o.OggMinBitRate);
    {
        // The formats are those of the stored codec and VBR choice, at the stored index.
        const QSignalBlocker codecs(lbCodecs), vbr(cbWMA_VBR);
        lbCodecs->setCurrentRow(o.CodecIndex);
        cbWMA_VBR->setChecked(o.WmaVBR);
        fillFormats();
        lbFormats->setCurrentRow(o.FormatIndex);
        updateWmaVbrBox();
    }
    cbFlacCompression->setCurrentIndex(o.FlacCompression);
    seAPECompression->setValue(o.ApeCompression);
    lbApeLevelNote->setVisible(!isApeLevel(seAPECompression->value()));
    tbAPECpuUsage->setValue(o.ApeCpu);
    seOpusBitrate->setValue(o.OpusBitrate);
    tbOpusComplexity->setValue(o.OpusComplexity);
    seAacBitrate->setValue(o.AacBitrate);
    seConverterJobs->setValue(o.ConverterJobs);
    ckCoverArt->setChecked(o.CoverArt);
    editEmail->setText(o.QueryCDDBEmail);
    const TReadMode mode = ReadModeOf(o.ReadMode);
    rbReadPlain->setChecked(mode == TReadMode::Plain);
    rbReadSecure->setChecked(mode == TReadMode::Secure);
    rbReadVerifyFirst->setChecked(mode == TReadMode::VerifyFirst);
    ckAutoLookup->setChecked(o.AutoLookup);
    ckEjectWhenDone->setChecked(o.EjectWhenDone);
    ckOpenFolderWhenDone->setChecked(o.OpenFolderWhenDone);
    editAccurateRipServer->setText(o.AccurateRipServer);

    m_shownDrive = o.DriveIndex < 0 ? 0 : o.DriveIndex;
    TCDList list{};
    list.MaxCd = 8;
    GetCDList(&list);
    for (int i = 0; i < list.NumCd; ++i)
        cbCDList->addItem(CdDriveDescription(list.Cd[i]));
    if (m_shownDrive < cbCDList->count())
        cbCDList->setCurrentIndex(m_shownDrive);
}

QString TfrmOptions::Problem(QWidget** where) const {
    auto fail = [where](QWidget* w, const QString& text) {
        if (where)
            *where = w;
        return text;
    };
    // A folder that does not exist yet is kept: the rip and the converter offer to make it
    // when it is first needed (a new account has no ~/Music/Sondrel).
    const QString folder = editOutputDir->text().trimmed();
    if (folder.isEmpty())
        return fail(editOutputDir, tr("Please choose an output folder."));
    if (const QFileInfo info(folder); info.exists() && !info.isDir())
        return fail(editOutputDir, tr("%1 is a file, not a folder. Please choose a folder.")
                                       .arg(QDir::toNativeSeparators(folder)));
    QString templateError;
    if (!TNameTemplate::Parse(editNameTemplate->text(), &templateError))
        return fail(editNameTemplate, templateFault(templateError));
    const std::pair<QComboBox*, const char*> fields[] = {
        {cbMinBitRate, QT_TR_NOOP("Minimum bitrate")},
        {cbMaxBitRate, QT_TR_NOOP("Maximum bitrate")}};
    for (const auto& [box, name] : fields) {
        const auto rate = parseRate(box->currentText());
        if (!rate || !isMp3Rate(*rate))
            return fail(box, tr("%1: \"%2\" is not a bit rate. Choose one of the "
                                "list, 32 to 320 kbit/s.")
                                 .arg(tr(name), box->currentText().trimmed()));
    }
    if (*parseRate(cbMinBitRate->currentText()) > *parseRate(cbMaxBitRate->currentText()))
        return fail(cbMinBitRate, tr("The minimum bitrate is above the maximum bitrate."));
    return {};
}

void TfrmOptions::accept() {
    QWidget* where = nullptr;
    const QString problem = Problem(&where);
    if (!problem.isEmpty()) {
        // Show the field to correct; nothing is stored until every field is valid.
        for (int i = 0; i < PageControl1->count(); ++i)
            if (PageControl1->widget(i)->isAncestorOf(where))
                PageControl1->setCurrentIndex(i);
        where->setFocus();
        ShowMessage(this, QMessageBox::Critical, problem);
        return;
    }
    save();
    m_driveChanged = cbCDList->count() > 0 && cbCDList->currentIndex() != m_shownDrive;
    QDialog::accept();
}

void TfrmOptions::save() {
    TAppOptions& o = m_options;
    o.OutputFolder = editOutputDir->text().trimmed();
    o.OutputFormat = cbOutputFormat->currentIndex();
    o.OutputFormats = alsoFormatsText();
    o.IsKeepWav = !ckbKeepWav->isChecked();
    // An emptied box is the default template, written out so the settings file says so.
    o.NameTemplate = editNameTemplate->text().trimmed().isEmpty() ? TNameTemplate::DefaultText()
                                                                  : editNameTemplate->text();
    o.FatSafeNames = ckFatSafeNames->isChecked();
    o.WritePlaylist = ckWritePlaylist->isChecked();
    o.WriteCueSheet = ckWriteCueSheet->isChecked();
    o.EjectWhenDone = ckEjectWhenDone->isChecked();
    o.OpenFolderWhenDone = ckOpenFolderWhenDone->isChecked();
    o.AutoLookup = ckAutoLookup->isChecked();
    o.IsNormalize = ckNormalize->isChecked();
    o.NormalizePercent = SpinEdit1->value();
    o.ReplayGainMode = TReplayGain::ModeName(TReplayGain::TMode(cbReplayGain->currentIndex()));
    o.IsSelectVBR = rbVBR->isChecked();
    o.IsVBRHead = ckbVBRHead->isChecked();
    o.BitRate = *parseRate(cbMinBitRate->currentText());
    o.MaxBitRate = *parseRate(cbMaxBitRate->currentText());
    o.VBRQuality = cbVBRQuality->currentIndex();
    o.StereoMode = cbStereoMode->currentIndex();
    o.Mp3Cpu = tbMP3Cpu->value();
    o.ConstantBitRate = cbConstantBitRate->currentIndex();
    o.IsUseCompress = cbUseCompress->isChecked();
    o.CompressPosition = tbCompression->value();
    o.OggMaxBitRate = cbOggMaxBit->currentIndex();
    o.OggNomalBitRate = cbOggNomBit->currentIndex();
    o.OggMinBitRate = cbOggMinBit->currentIndex();
    o.CodecIndex = lbCodecs->currentRow();
    o.FormatIndex = lbFormats->currentRow();
    o.WmaVBR = cbWMA_VBR->isChecked();
    o.FlacCompression = cbFlacCompression->currentIndex();
    o.ApeCompression = seAPECompression->value();
    o.ApeCpu = tbAPECpuUsage->value();
    o.OpusBitrate = seOpusBitrate->value();
    o.OpusComplexity = tbOpusComplexity->value();
    o.AacBitrate = seAacBitrate->value();
    o.ConverterJobs = seConverterJobs->value();
    o.CoverArt = ckCoverArt->isChecked();
    o.QueryCDDBEmail = editEmail->text().trimmed();
    o.ReadMode = ReadModeName(rbReadSecure->isChecked()        ? TReadMode::Secure
                              : rbReadVerifyFirst->isChecked() ? TReadMode::VerifyFirst
                                                               : TReadMode::Plain);
    o.AccurateRipServer = editAccurateRipServer->text().trimmed();
    o.DriveIndex = cbCDList->currentIndex();
}

void TfrmOptions::SetExampleDisc(const std::vector<TTrackRow>& rows, const TDiscFields& disc) {
    m_exampleRows = rows;
    m_exampleDisc = disc;
    updateNameExample();
}

// Runs on every key press in the template box: one plan of at most 99 rows, no file access.
QString TfrmOptions::alsoFormatsText() const {
    std::vector<int> formats;
    for (size_t f = 0; f < ckAlsoFormats.size(); ++f)
        if (ckAlsoFormats[f]->isChecked() && int(f) != cbOutputFormat->currentIndex())
            formats.push_back(int(f));
    return RipFormatsText(formats);
}

void TfrmOptions::updateNameExample() {
    // The preset box shows the preset the text is, or its placeholder ("activated" is the
    // user's choice only, so this does not fill the box again).
    cbNamePreset->setCurrentIndex(cbNamePreset->findData(editNameTemplate->text()));
    std::vector<TTrackRow> rows = m_exampleRows;
    TDiscFields disc = m_exampleDisc;
    if (rows.empty()) {
        disc = TDiscFields();
        disc.Artist = tr("Artist");
        disc.Album = tr("Album");
        disc.Year = QStringLiteral("2024");
        TTrackRow row;
        row.Number = 1;
        row.Title = tr("Title");
        rows.push_back(row);
    }
    bool anyTicked = false;
    for (const TTrackRow& r : rows)
        anyTicked = anyTicked || r.Checked;
    if (!anyTicked)
        rows.front().Checked = true;
    // No output folder: the plan's paths come out relative to it.
    TAppOptions o;
    o.OutputFolder.clear();
    o.OutputFormat = cbOutputFormat->currentIndex();
    o.OutputFormats = alsoFormatsText();
    o.FatSafeNames = ckFatSafeNames->isChecked();
    TRipPlan plan;
    QString error;
    if (!TRipPlan::Build(rows, disc, o, editNameTemplate->text(), &plan, &error))
        lbNameExample->setText(templateFault(error));
    else
        lbNameExample->setText(plan.Tracks.empty() ? QString() : plan.Tracks.front().Path);
}

void TfrmOptions::browse() {
    auto* dialog = new QFileDialog(this, tr("Please select the folder to save the audio file"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    const QString folder = editOutputDir->text();
    dialog->setDirectory(QFileInfo(folder).isDir() ? folder : QDir::homePath());
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& chosen) {
        if (!chosen.isEmpty())
            editOutputDir->setText(QDir::cleanPath(chosen));
    });
    dialog->open();
}

void TfrmOptions::updateVbrControls() {
    const bool vbr = rbVBR->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{ckbVBRHead, cbMinBitRate, cbMaxBitRate, cbVBRQuality})
        w->setEnabled(vbr);
}

void TfrmOptions::fillFormats() {
    lbFormats->clear();
    std::vector<TWmaFormat> formats;
    TWmaFormats::Enumerate(lbCodecs->currentRow(), cbWMA_VBR->isChecked(), formats);
    for (const TWmaFormat& f : formats)
        lbFormats->addItem(f.Description);
}

void TfrmOptions::updateWmaVbrBox() {
    // No WMA encoder here has VBR formats: a checked box would leave no format to encode with.
    // A box checked in stored settings stays enabled until it is unchecked.
    std::vector<TWmaFormat> vbrFormats;
    const bool offered = TWmaFormats::Enumerate(lbCodecs->currentRow(), true, vbrFormats);
    cbWMA_VBR->setEnabled(offered || cbWMA_VBR->isChecked());
    cbWMA_VBR->setToolTip(offered ? QString()
                                  : tr("The WMA encoder has no variable bit rate "
                                       "formats: checked, it could write no file."));
}

void TfrmOptions::lameDefaults() {
    rbCBR->setChecked(true);
    cbConstantBitRate->setCurrentIndex(5);
    ckbVBRHead->setChecked(false);
    cbMinBitRate->setCurrentIndex(LameDefaultMinIndex);
    cbMaxBitRate->setCurrentIndex(LameDefaultMaxIndex);
    cbVBRQuality->setCurrentIndex(4);
    cbStereoMode->setCurrentIndex(1);
    tbMP3Cpu->setValue(3);
}

void TfrmOptions::wmaDefaults() {
    const QSignalBlocker codecs(lbCodecs), vbr(cbWMA_VBR);
    cbWMA_VBR->setChecked(false);
    lbCodecs->setCurrentRow(0);
    fillFormats();
    lbFormats->setCurrentRow(WmaDefaultFormat);
    updateWmaVbrBox();
}
