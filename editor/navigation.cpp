// SPDX-License-Identifier: GPL-3.0-or-later
// Moving between parts, tones, drum notes and sheets, and the refresh: the one
// routine that redraws the caption and the visible sheet from the image.
// Setting a control's position raises no notification, so a refresh never
// sends anything.
#include "editor/filecommands.h"
#include "editor/interfacepalette.h"
#include "editor/librarycommands.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"

#include "editor/tdragtweak.h"
#include "editor/windowtexts.h"
#include "patch/catalogue.h"
#include "patch/parameteraddress.h"
#include "patch/rhythmpart.h"
#include "player/tmidiapputil.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QScrollArea>
#include <QTabWidget>

namespace dorvane {

namespace {

// Panels whose controls the refresh fills; the Jump menu names them too.
constexpr const char* TonePanels[] = {"pitchpanel", "filterpanel", "amppanel"};

struct JumpTarget
{
    const char* entry;
    Sheet sheet;
    const char* panel; // brought into view, or nullptr
};
constexpr JumpTarget JumpTargets[] = {
    {"Wave", Sheet::Tone, "wavepanel"},     {"Pitch", Sheet::Tone, "pitchpanel"},
    {"Filter", Sheet::Tone, "filterpanel"}, {"Amp", Sheet::Tone, "amppanel"},
    {"LFO", Sheet::Tone, "lfo1box"},        {"Common", Sheet::Common, "commonpanel"},
    {"Mod", Sheet::Common, "modpanel"},     {"Part", Sheet::Common, "partpanel"},
    {"System", Sheet::Common, "Panel8"},    {"Setup", Sheet::Setup, nullptr},
};

} // namespace

void ValueSheets::followSelection()
{
    // A part's state is told in colours taken from the palette: a new scheme
    // needs them taken again.
    whenPaletteChanges(m_partGroup->button(0)->parentWidget(), [this] {
        for (int i = 0; i < EditSession::PartCount; ++i)
            showPartSync(i);
    });
    // The selectors show the session's selection. Their own signals are the
    // user's clicks only, so setting them here starts nothing again.
    connect(&m_session, &EditSession::partSelected, this, [this](int index) {
        if (QAbstractButton* b = m_partGroup->button(index))
            b->setChecked(true);
        m_frame.runCommand([this] { partChanged(); });
    });
    connect(&m_session, &EditSession::shownToneSelected, this, [this](int tone) {
        if (QAbstractButton* b = m_showGroup->button(tone))
            b->setChecked(true);
        m_frame.runCommand([this] { refresh(); });
    });
    connect(&m_session, &EditSession::tonesSelected, this, [this] {
        for (int t = 1; t <= ToneCount; ++t)
            toneBox(t)->setChecked(m_session.toneSelected(t));
    });
    connect(&m_session, &EditSession::drumNoteSelected, this, [this](int note) {
        m_drumNote->setCurrentIndex(note);
        m_frame.runCommand([this] { refresh(); });
    });
}

void ValueSheets::showPartSync(int index)
{
    QAbstractButton* b = m_partGroup->button(index);
    if (!b)
        return;
    // A mark as well as a colour, so the state reads without telling colours
    // apart; the colours come from the palette, so a dark one keeps them legible.
    const PartSync sync = m_session.partSync(index);
    const QPalette& base = b->parentWidget()->palette();
    QPalette palette = base;
    switch (sync) {
    case PartSync::InStep:
        break;
    case PartSync::ChangedHere:
        palette.setColor(QPalette::WindowText, base.color(QPalette::Link));
        break;
    case PartSync::NotKnown:
        palette.setColor(QPalette::WindowText, base.color(QPalette::PlaceholderText));
        break;
    }
    b->setPalette(palette);
    // Under the number, so the selection bar keeps its width on a small screen.
    b->setText(partSyncLabel(index) + "\n" + partSyncMark(sync));
    b->setToolTip(m_session.partSyncHint(index));
    b->setStatusTip(m_session.partSyncHint(index));
}

// Choosing what is already chosen redraws all the same, as a click on the
// selector always has; a change redraws through the session's signal.
void ValueSheets::selectPart(int index)
{
    if (index >= 0 && index < EditSession::PartCount && !m_session.selectPart(index))
        partChanged();
}

void ValueSheets::selectShownTone(int tone)
{
    if (tone >= 1 && tone <= ToneCount && !m_session.selectShownTone(tone))
        refresh();
}

void ValueSheets::selectDrumNote(int note)
{
    if (note >= 0 && note < m_drumNote->count() && !m_session.selectDrumNote(note))
        refresh();
}

void ValueSheets::showSheet(Sheet s)
{
    m_pages->setCurrentWidget(sheet(s));
}

void ValueSheets::jumpTo(const QString& entry)
{
    for (const auto& target : JumpTargets) {
        if (entry.compare(target.entry, Qt::CaseInsensitive) != 0)
            continue;
        showSheet(target.sheet);
        // The panel may be hidden on part R: then the sheet is all there is to show.
        if (target.panel)
            if (QGroupBox* p = panel(target.panel); p && p->isVisibleTo(m_parts.window))
                m_sheets[std::size_t(target.sheet)]->ensureWidgetVisible(p);
        return;
    }
}

void ValueSheets::partChanged()
{
    m_parts.library->endAudition();
    const bool rhythm = m_session.isRhythmPart();
    m_util->SetChannel(m_session.partNumber());
    m_toneSelection->setVisible(!rhythm);
    m_showBox->setVisible(!rhythm);
    m_drumNote->setVisible(rhythm);
    m_drumNoteLabel->setVisible(rhythm);
    // A sheet not built yet is set for the part as it is built.
    if (sheetBuilt(Sheet::Tone))
        fitToneSheetToPart();
    if (sheetBuilt(Sheet::Common))
        panel("commonpanel")->setVisible(!rhythm);
    if (rhythm)
        m_frame.modeStarting();
    refresh();
}

void ValueSheets::fitToneSheetToPart()
{
    const bool rhythm = m_session.isRhythmPart();
    panel("mutegroupbox")->setVisible(rhythm);
    panel("fxmbox")->setVisible(!rhythm);
    // The tone-only panels stay with parts 1..7.
    if (QAction* morph = m_frame.action("ToneMorphAction"))
        m_morphPanel->setVisible(!rhythm && morph->isChecked());
    // The tone panels change their rows only between parts 1..7 and part R;
    // laying them out again at every part change cost half a millisecond.
    if (m_tonePanelsRhythm != rhythm) {
        for (const char* name : TonePanels)
            layOutTonePanel(name, rhythm);
        m_tonePanelsRhythm = rhythm;
    }
}

void ValueSheets::layOutTonePanel(const char* name, bool rhythm)
{
    std::vector<const Binding*> shown;
    for (const Binding* row : bindingsOfPanel(name)) {
        TDragTweak* c = control(QString::fromLatin1(row->name.data(), qsizetype(row->name.size())));
        QLabel* label = m_labels[c];
        const bool visible = !rhythm || editsDrumNote(*row);
        c->setVisible(visible);
        label->setVisible(visible);
        if (!visible) {
            panel(name)->layout()->removeWidget(c);
            panel(name)->layout()->removeWidget(label);
            continue;
        }
        shown.push_back(row);
        QString text = QString::fromUtf8(row->label.data(), qsizetype(row->label.size()));
        // On part R the control edits the drum note's parameter at Tag, named
        // and scaled as that parameter.
        if (rhythm)
            if (const auto name = parameterName(ParameterTable::RhythmNote, row->tag))
                text = QString::fromLatin1(name->data(), qsizetype(name->size())).trimmed();
        label->setText(text.replace('&', "&&"));
        const QStringList& items = valueList(rhythm ? drumNoteValues(*row) : row->values);
        if (c->Items() != items)
            c->SetItems(items);
    }
    placeControls(panel(name), shown);
}

void ValueSheets::buildDrumNoteList()
{
    m_drumNote->clear();
    for (int k = 0; k < DrumNoteCount; ++k) {
        m_drumNote->addItem(QString::fromStdString(drumNoteEntry(k)));
    }
    m_drumNote->setCurrentIndex(m_session.drumNote());
}

QString ValueSheets::waveName(int wave) const
{
    return m_waveNames.value(wave);
}

void ValueSheets::refreshCaption()
{
    const int part = m_session.partNumber();
    if (part == RhythmPart) {
        m_caption =
            "<Part> R :" + waveName(m_session.image().ReadWave(RhythmPart, m_session.drumNote()));
        for (int k = 0; k < m_drumNote->count(); ++k)
            m_drumNote->setItemText(k, m_drumNote->itemText(k).left(10) +
                                           waveName(m_session.image().ReadWave(RhythmPart, k)));
    } else {
        QStringList switches;
        for (int t = 1; t <= ToneCount; ++t)
            switches << (m_session.image().ReadByte(part, t, ToneSwitchOffset) ? "ON" : "OFF");
        m_caption = QString(" <P %1>: %2 [%3]")
                        .arg(m_session.partIndex() + 1)
                        .arg(QString::fromLatin1(m_session.image().GetPatchName(part).c_str()))
                        .arg(switches.join(' '));
    }
    m_parts.files->updateTitle();
}

void ValueSheets::setControlFromImage(TDragTweak* c, int part, int area, int offset)
{
    c->SetPosition(m_session.image().ReadByte(part, area, offset));
}

void ValueSheets::showName(int part)
{
    m_nameShown = QString::fromLatin1(m_session.image().GetPatchName(part).c_str());
    m_namePart = part;
    m_name->setText(m_nameShown);
}

void ValueSheets::refreshToneSheet()
{
    ensureSheetBuilt(Sheet::Tone);
    const int part = m_session.partNumber();
    const bool rhythm = part == RhythmPart;
    const int tone = m_session.shownTone();
    const int k = m_session.drumNote();
    // The field shows this part's name. What is being typed into it is left
    // alone only while it is still this part's and the name it was typed over
    // still stands; another part or a file opened makes it stale, and Enter
    // would give it to a part it was never meant for.
    const bool typing =
        m_name->hasFocus() && m_name->isModified() && m_namePart == part &&
        m_nameShown == QString::fromLatin1(m_session.image().GetPatchName(part).c_str());
    if (!typing)
        showName(part);

    for (const char* name : TonePanels) {
        for (const Binding* row : bindingsOfPanel(name)) {
            TDragTweak* c =
                control(QString::fromLatin1(row->name.data(), qsizetype(row->name.size())));
            if (!rhythm)
                setControlFromImage(c, part, tone, row->ctrlNo);
            else if (editsDrumNote(*row))
                setControlFromImage(c, RhythmPart, k, row->tag);
        }
    }
    // The wave list shows the wave unless the list is too short to hold it.
    const int wave =
        rhythm ? m_session.image().ReadWave(RhythmPart, k) : m_session.image().ReadWave(part, tone);
    m_wave->setCurrentIndex(wave < m_wave->count() ? wave : -1);

    auto fill = [&](const char* panelName, bool byTag) {
        for (const Binding* row : bindingsOfPanel(panelName)) {
            TDragTweak* c =
                control(QString::fromLatin1(row->name.data(), qsizetype(row->name.size())));
            if (byTag)
                setControlFromImage(c, RhythmPart, k, row->tag);
            else
                setControlFromImage(c, part, tone, row->ctrlNo);
        }
    };
    panel("lfo1box")->setVisible(!rhythm);
    panel("lfo2box")->setVisible(!rhythm);
    fill("wavepanel", rhythm);
    if (rhythm) {
        fill("mutegroupbox", true);
    } else {
        fill("fxmbox", false);
        fill("lfo1box", false);
        fill("lfo2box", false);
    }
}

void ValueSheets::refreshCommonSheet()
{
    ensureSheetBuilt(Sheet::Common);
    const bool rhythm = m_session.isRhythmPart();
    panel("commonpanel")->setVisible(!rhythm);
    panel("modpanel")->setVisible(!rhythm);
    if (rhythm)
        return;
    const int part = m_session.partNumber();
    for (const Binding* row : bindingsOfPanel("commonpanel"))
        setControlFromImage(
            control(QString::fromLatin1(row->name.data(), qsizetype(row->name.size()))), part, 0,
            row->ctrlNo);
    for (const Binding* row : bindingsOfPanel("modpanel"))
        setControlFromImage(
            control(QString::fromLatin1(row->name.data(), qsizetype(row->name.size()))), part,
            m_session.shownTone(), row->ctrlNo);
    const QStringList& sources = valueList(ValueList::ControlSources);
    m_ctrlSource2->setText(texts::ControlSource2 + sources.value(m_session.image().ReadByte(
                                                       part, 0, ControlSource2Offset)));
    m_ctrlSource3->setText(texts::ControlSource3 + sources.value(m_session.image().ReadByte(
                                                       part, 0, ControlSource3Offset)));
}

void ValueSheets::refresh()
{
    refreshCaption();
    showSentValues();
    QWidget* visible = m_pages->currentWidget();
    // A sheet built now is refreshed as it is built.
    if (visible == sheet(Sheet::Common) && sheetBuilt(Sheet::Common))
        refreshCommonSheet();
    else if (visible == sheet(Sheet::Tone) && sheetBuilt(Sheet::Tone))
        refreshToneSheet();
    else if (visible == sheet(Sheet::Common) || visible == sheet(Sheet::Tone))
        ensureSheetBuilt(visible == sheet(Sheet::Tone) ? Sheet::Tone : Sheet::Common);
    emit refreshed();
}

} // namespace dorvane
