// SPDX-License-Identifier: GPL-3.0-or-later
// Random names from wordlist.txt, the instrument's presets from patchlist.txt
// and scale tune from scales.txt: three text lists a musician may replace,
// read again each time they are used.
#include "editor/presetsandscales.h"

#include "editor/fixedpitchfont.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"

#include "editor/tdragtweak.h"
#include "editor/windowtexts.h"
#include "midi/dialogs.h"
#include "patch/fileio.h"
#include "patch/patchname.h"
#include "patch/presetselect.h"
#include "patch/scaletune.h"
#include "patch/temperaments.h"
#include "patch/textlines.h"
#include "player/tmidiapputil.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace dorvane {

namespace {

// Far more than any of the lists needs (512 preset names, 75 scales, a few
// hundred words); a larger file is read only this far.
constexpr std::size_t TextListLimit = 1 << 20;
// A preset name longer than this is shown cut, so a stray file can't stretch the list.
constexpr qsizetype PresetNameLimit = 40;

} // namespace

std::optional<std::string> PresetsAndScales::readTextList(const QString& fileName,
                                                          QString* error) const
{
    const QString path = m_programFolder + "/" + fileName;
    if (!QFileInfo::exists(path)) {
        error->clear();
        return std::nullopt;
    }
    try {
        const Bytes bytes = readFileHead(QFile::encodeName(path).toStdString(), TextListLimit);
        return std::string(bytes.begin(), bytes.end());
    } catch (const FileError& e) {
        *error = QString(texts::FileNotRead).arg(fileName, QString::fromStdString(e.reason()));
        return std::nullopt;
    }
}

void PresetsAndScales::randomName()
{
    QString error;
    const auto text = readTextList("wordlist.txt", &error);
    if (!text) {
        if (!error.isEmpty())
            m_dialogs->ask(error, AskKind::Information);
        return;
    }
    const auto words = textLines(*text);
    const auto name = dorvane::randomName(words, m_random);
    if (!name)
        return; // an empty list has no word to give
    m_parts.sheets->nameField()->clear();
    m_parts.sheets->nameField()->setText(QString::fromUtf8(name->data(), qsizetype(name->size())));
    m_parts.sheets->namePart() = m_session.partNumber();
    m_parts.sheets->nameEntered();
}

void PresetsAndScales::ensureBuilt() const
{
    m_parts.sheets->ensureSheetBuilt(Sheet::Common);
}

void PresetsAndScales::buildPresetSelector(QGroupBox* partBox)
{
    auto* grid = static_cast<QGridLayout*>(partBox->layout());
    const int row = grid->rowCount();
    m_bank = new QComboBox(partBox);
    m_bank->setObjectName("ComboBox1");
    m_bank->setStatusTip(texts::BankHint);
    for (const char* bank : texts::BankNames)
        m_bank->addItem(bank);
    // No bank is chosen until the musician chooses one, so nothing is sent by itself.
    m_bank->setCurrentIndex(-1);
    m_bank->setPlaceholderText("Bank");
    m_presets = new QComboBox(partBox);
    m_presets->setObjectName("presets");
    m_presets->setStatusTip(texts::PresetHint);
    m_presets->setPlaceholderText("Preset");
    m_presets->setMaxVisibleItems(24);
    m_presets->setMinimumContentsLength(14);
    m_presets->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto* label = new QLabel("Preset", partBox);
    label->setBuddy(m_presets);
    grid->addWidget(label, row, 0);
    grid->addWidget(m_bank, row, 1);
    grid->addWidget(m_presets, row, 2, 1, 2);
    connect(m_bank, &QComboBox::activated, this,
            [this](int) { m_frame.runCommand([this] { bankChanged(); }); });
    connect(m_presets, &QComboBox::activated, this,
            [this](int) { m_frame.runCommand([this] { presetChosen(); }); });
}

void PresetsAndScales::bankChanged()
{
    const int bank = m_bank->currentIndex();
    if (bank < 0)
        return;
    QString error;
    const auto text = readTextList("patchlist.txt", &error);
    if (!text) {
        if (!error.isEmpty())
            m_dialogs->ask(error, AskKind::Information);
        return;
    }
    const int previous = m_presets->currentIndex();
    m_presets->clear();
    for (const std::string& name : presetNames(textLines(*text), bank))
        m_presets->addItem(
            " " + QString::fromUtf8(name.data(), qsizetype(name.size())).left(PresetNameLimit));
    if (previous >= 0) {
        m_presets->setCurrentIndex(previous);
        presetChosen();
    }
}

void PresetsAndScales::presetChosen()
{
    const int bank = m_bank->currentIndex();
    const int preset = m_presets->currentIndex();
    if (bank < 0 || preset < 0)
        return;
    // The instrument's part changes; the image and the display stay as they are.
    for (const Bytes& m : presetMessages(m_session.partNumber(), bank, preset))
        m_util->SendShort(m[0], m[1], m.size() > 2 ? m[2] : 0);
}

void PresetsAndScales::buildScalePanel(QGroupBox* scaleBox)
{
    // The panel is laid out afresh around the scale list: the list first, the
    // song key and the OK button under it, then the system settings.
    const auto rows = bindingsOfPanel("Panel8");
    delete scaleBox->layout();
    auto* grid = new QGridLayout(scaleBox);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);

    m_scales = new QComboBox(scaleBox);
    m_scales->setObjectName("scales");
    m_scales->setStatusTip(texts::ScalesHint);
    for (int i = 0; i < TemperamentCount; ++i)
        m_scales->addItem(QString::fromStdString(temperamentListEntry(i)));
    m_scales->setCurrentIndex(0);
    // The entries are a number padded with blanks before the name: in a font
    // of one width, the names of 1 to 9 start where those of 10 to 75 do.
    m_scales->setFont(fixedPitchFont(m_scales->font()));
    m_scales->setMaxVisibleItems(24);
    m_scales->setMinimumContentsLength(28);
    m_scales->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_scaleSend = new QPushButton(texts::ScaleSend, scaleBox);
    m_scaleSend->setObjectName("scaleok");
    m_scaleSend->setStatusTip(texts::ScaleSendHint);
    m_scaleSend->setToolTip(texts::ScaleSendHint);
    connect(m_scaleSend, &QPushButton::clicked, this,
            [this] { m_frame.runCommand([this] { sendScaleTuning(); }); });

    auto* label = new QLabel("Scale", scaleBox);
    label->setBuddy(m_scales);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_scales, 0, 1, 1, 2);
    int r = 1;
    for (const Binding* row : rows) {
        TDragTweak* c = m_parts.sheets->control(
            QString::fromLatin1(row->name.data(), qsizetype(row->name.size())));
        grid->addWidget(m_parts.sheets->labels()[c], r, 0);
        grid->addWidget(c, r, 1);
        if (row->name == "key")
            grid->addWidget(m_scaleSend, r, 2, Qt::AlignLeft);
        ++r;
    }
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(r, 1);
}

void PresetsAndScales::sendScaleTuning()
{
    const int index = m_scales->currentIndex();
    if (index < 0)
        return;
    QString error;
    const auto text = readTextList("scales.txt", &error);
    if (!text) {
        if (error.isEmpty())
            error = QString(texts::FileNotRead).arg("scales.txt", "there is no such file");
        m_dialogs->ask(texts::ScaleNotSent + error, AskKind::Information);
        return;
    }
    // The whole line is checked before anything goes out, so a broken line
    // leaves the instrument's tuning as it was.
    const ScaleLine line = scaleLineOf(*text, index);
    if (!line.values) {
        m_dialogs->ask(texts::ScaleNotSent + QString::fromStdString(line.problem),
                       AskKind::Information);
        return;
    }
    const TDragTweak* key = m_parts.sheets->control("key");
    for (Bytes& m :
         scaleTuneMessages(m_util->Synth(), m_session.partNumber(), key->Position(), *line.values))
        m_util->SendLong(std::move(m));
    m_frame.setStatusText(
        QString(texts::ScaleSent)
            .arg(m_session.partLabel(),
                 QString::fromUtf8(temperaments()[std::size_t(index)].name.data(),
                                   qsizetype(temperaments()[std::size_t(index)].name.size())),
                 key->Caption().trimmed()));
}

PresetsAndScales::PresetsAndScales(const WindowParts& parts) : WindowPart(parts) {}

} // namespace dorvane
