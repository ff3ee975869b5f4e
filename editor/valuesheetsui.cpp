// SPDX-License-Identifier: GPL-3.0-or-later
// Building the sheets: the selection bar, the three sheets with their panels
// laid out like a hardware panel, and the value controls made from the
// binding table.
#include "editor/presetsandscales.h"
#include "editor/shakecommands.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"
#include "patch/textlines.h"
#include "player/tmidiapputil.h"

#include "editor/columnflowpage.h"
#include "editor/drummixerpanel.h"
#include "editor/midimonitor.h"
#include "editor/nameedit.h"
#include "editor/settingsstore.h"
#include "editor/tdragtweak.h"
#include "editor/trevscrb.h"
#include "editor/valueaccessible.h"
#include "editor/windowtexts.h"
#include "midi/dialogs.h"

#include <QAction>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace dorvane {

namespace {

// How many label/control pairs a panel puts side by side.
struct PanelColumns
{
    const char* name;
    int columns;
};
constexpr PanelColumns Columns[] = {
    {"wavepanel", 2},   {"fxmbox", 2},   {"mutegroupbox", 2}, {"pitchpanel", 2},
    {"filterpanel", 2}, {"amppanel", 2}, {"lfo1box", 2},      {"lfo2box", 2},
    {"commonpanel", 3}, {"Panel8", 1},   {"modpanel", 4},     {"partpanel", 4},
    {"GroupBox5", 2},   {"midibox", 1},  {"playbox", 1},      {"shakebox", 1},
};

int columnsOf(const QString& panel)
{
    for (const auto& c : Columns)
        if (panel == c.name)
            return c.columns;
    return 2;
}

QScrollArea* scrolling(const QString& name)
{
    auto* area = new QScrollArea;
    area->setObjectName(name);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

} // namespace

void ValueSheets::loadWaveList()
{
    m_waveNames.clear();
    // A list that is missing or cannot be read leaves the wave list empty, as it always has.
    QString error;
    if (const auto text = m_parts.presets->readTextList(m_util->Wavelist(), &error))
        for (const std::string& line : textLines(*text))
            m_waveNames << "  " + QString::fromStdString(line);
    // The Tone sheet takes them when it is built.
    if (m_wave) {
        m_wave->clear();
        m_wave->addItems(m_waveNames);
    }
}

TDragTweak* ValueSheets::makeControl(const Binding& row, QWidget* parent)
{
    auto* c = new TDragTweak(parent);
    const QString name = QString::fromLatin1(row.name.data(), qsizetype(row.name.size()));
    c->setObjectName(name);
    c->SetItems(valueList(row.values));
    c->SetCtrlNo(row.ctrlNo);
    c->SetTag(row.tag);
    c->SetTag1(row.tag1);
    c->SetTag3(row.tag3);
    c->SetTag4(row.tag4);
    c->SetTag5(row.tag5);
    c->SetPositionDefault(row.positionDefault);
    // Every value can be reached and changed from the keyboard.
    c->SetTabStop(true);
    if (!c->Items().isEmpty())
        c->SetPosition(std::min(std::max(row.positionDefault, 0), int(c->Items().size()) - 1));
    if (!row.hint.empty())
        c->setStatusTip(QString::fromUtf8(row.hint.data(), qsizetype(row.hint.size())));
    connect(c, &TDragTweak::OnMouseUp, this,
            [this, c](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint) {
                m_frame.runCommand([&] { controlReleased(c, button, modifiers); });
            });
    if (row.handler == Handler::Tone || row.handler == Handler::Common)
        connect(c, &TDragTweak::dragged, this, [this](TDragTweak* sender) {
            if (m_session.sendWhileDragging())
                m_frame.runCommand([&] { controlDragged(sender); });
        });
    if (row.handler == Handler::Tone)
        connect(c, &TDragTweak::OnMouseEnter, this,
                [this](TDragTweak* sender) { showToneValues(sender); });
    c->setAccessibleLabelSource([this, c, &row] { return accessibleControlName(c, row); });
    m_controls[name] = c;
    m_rows[c] = &row;
    return c;
}

QLabel* ValueSheets::makeLabel(const Binding& row, TDragTweak* control)
{
    // Names such as "Structure type 1&2" carry an ampersand, which a label
    // would take for a shortcut mark.
    QString text = QString::fromUtf8(row.label.data(), qsizetype(row.label.size()));
    auto* label = new QLabel(text.replace('&', "&&"));
    label->setBuddy(control);
    m_labels[control] = label;
    return label;
}

QGroupBox* ValueSheets::buildModulationPanel()
{
    // Three controllers, each with four destination and depth pairs: a matrix,
    // as the instrument's own display shows them.
    auto* box = new QGroupBox("Modulation");
    box->setObjectName("modpanel");
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    for (int pair = 0; pair < 4; ++pair) {
        grid->addWidget(new QLabel(QString("Dest %1").arg(pair + 1)), 0, 1 + pair * 2);
        grid->addWidget(new QLabel(QString("Depth %1").arg(pair + 1)), 0, 2 + pair * 2);
    }
    for (int ctrl = 0; ctrl < 3; ++ctrl)
        grid->addWidget(new QLabel(QString("Ctrl %1").arg(ctrl + 1)), 1 + ctrl, 0);
    for (const Binding* row : bindingsOfPanel("modpanel")) {
        const int n = row->ctrlNo - 21; // Ctrl 1 Dest 1 sits at offset 21
        TDragTweak* control = makeControl(*row, box);
        makeLabel(*row, control)->hide();
        control->setToolTip(m_labels[control]->text());
        grid->addWidget(control, 1 + n / 8, 1 + n % 8);
    }
    m_ctrlSource2 = new QLabel;
    m_ctrlSource2->setObjectName("ctrlsource2");
    m_ctrlSource3 = new QLabel;
    m_ctrlSource3->setObjectName("ctrlsource3");
    grid->addWidget(m_ctrlSource2, 4, 0, 1, 5);
    grid->addWidget(m_ctrlSource3, 4, 5, 1, 4);
    grid->setColumnStretch(9, 1);
    m_panels["modpanel"] = box;
    return box;
}

QGroupBox* ValueSheets::buildPanel(const QString& name, int columns)
{
    const PanelInfo* info = findPanel(name.toStdString());
    auto* box = new QGroupBox(
        info ? QString::fromUtf8(info->caption.data(), qsizetype(info->caption.size())) : name);
    box->setObjectName(name);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    auto rows = bindingsOfPanel(name.toStdString());
    // The effects area reads best in address order (parameter 1, 2, 3 …).
    if (name == "partpanel")
        std::stable_sort(rows.begin(), rows.end(),
                         [](const Binding* a, const Binding* b) { return a->ctrlNo < b->ctrlNo; });
    for (const Binding* row : rows)
        makeLabel(*row, makeControl(*row, box));
    m_panels[name] = box;
    m_panelColumns[name] = columns;
    placeControls(box, rows);
    return box;
}

void ValueSheets::placeControls(QGroupBox* box, const std::vector<const Binding*>& rows)
{
    // Column by column, label beside control, with no gaps: a panel that
    // shows fewer controls (part R) closes up rather than keeping holes.
    auto* grid = static_cast<QGridLayout*>(box->layout());
    const int columns = std::max(1, m_panelColumns[box->objectName()]);
    for (int r = 0; r < grid->rowCount(); ++r)
        grid->setRowStretch(r, 0);
    const int perColumn = int((rows.size() + std::size_t(columns) - 1) / std::size_t(columns));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        TDragTweak* c =
            control(QString::fromLatin1(rows[i]->name.data(), qsizetype(rows[i]->name.size())));
        const int r = perColumn ? int(i) % perColumn : 0;
        const int col = perColumn ? int(i) / perColumn : 0;
        grid->addWidget(m_labels[c], r, col * 2);
        grid->addWidget(c, r, col * 2 + 1);
    }
    for (int col = 0; col < columns; ++col)
        grid->setColumnStretch(col * 2, 1);
    grid->setRowStretch(perColumn, 1);
}

QWidget* ValueSheets::buildSelectionBar()
{
    auto* bar = new QWidget;
    m_selectionBar = bar;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 2, 4, 2);

    auto* partBox = new QGroupBox("Part");
    partBox->setObjectName("Channel");
    auto* partRow = new QHBoxLayout(partBox);
    partRow->setContentsMargins(6, 2, 6, 2);
    m_partGroup = new QButtonGroup(this);
    m_partGroup->setObjectName("PART");
    for (int i = 0; i < 8; ++i) {
        auto* b = new QRadioButton(i < 7 ? QString::number(i + 1) : QString("R"));
        b->setObjectName(QString("PART%1").arg(i));
        // The button's text carries the state's mark; the state itself is its hint.
        b->setAccessibleName(QString("Part %1").arg(i < 7 ? QString::number(i + 1) : "R"));
        m_partGroup->addButton(b, i);
        partRow->addWidget(b);
    }
    m_partGroup->button(0)->setChecked(true);
    connectChoice(
        m_partGroup, this, [this] { return m_session.partIndex(); },
        [this](int index) { m_frame.runCommand([this, index] { selectPart(index); }); });
    row->addWidget(partBox);

    m_toneSelection = new QGroupBox("Tone Select");
    m_toneSelection->setObjectName("toneselect");
    m_toneSelection->setStatusTip(texts::ToneSelectHint);
    auto* toneRow = new QHBoxLayout(m_toneSelection);
    toneRow->setContentsMargins(6, 2, 6, 2);
    for (int t = 1; t <= ToneCount; ++t) {
        auto* box = new QCheckBox(QString::number(t));
        box->setObjectName(QString("tone%1").arg(t));
        box->setStatusTip(texts::ToneSelectHint);
        box->setAccessibleName(QString("Tone Select, tone %1").arg(t));
        box->setChecked(t == 1);
        m_toneBoxes[std::size_t(t - 1)] = box;
        // The box has toggled itself by the time the click arrives.
        connect(box, &QCheckBox::clicked, this, [this, t](bool checked) {
            m_session.setToneSelected(t, checked);
            m_frame.runCommand([&] { toneBoxReleased(t, QApplication::keyboardModifiers()); });
        });
        connect(box, &QCheckBox::toggled, this, [this, t](bool checked) {
            if (checked != m_session.toneSelected(t))
                m_session.setToneSelected(t, checked);
        });
        toneRow->addWidget(box);
    }
    row->addWidget(m_toneSelection);

    m_showBox = new QGroupBox(texts::ShowTone);
    m_showBox->setObjectName("show");
    auto* showRow = new QHBoxLayout(m_showBox);
    showRow->setContentsMargins(6, 2, 6, 2);
    m_showGroup = new QButtonGroup(this);
    for (int t = 1; t <= ToneCount; ++t) {
        auto* b = new QRadioButton(QString::number(t));
        b->setObjectName(QString("show%1").arg(t));
        b->setAccessibleName(QString("%1, tone %2").arg(texts::ShowTone).arg(t));
        m_showGroup->addButton(b, t);
        showRow->addWidget(b);
    }
    m_showGroup->button(1)->setChecked(true);
    connectChoice(
        m_showGroup, this, [this] { return m_session.shownTone(); },
        [this](int tone) { m_frame.runCommand([this, tone] { selectShownTone(tone); }); });
    row->addWidget(m_showBox);

    m_drumNoteLabel = new QLabel("Drum Note");
    m_drumNote = new QComboBox;
    m_drumNote->setObjectName("drumnote");
    m_drumNote->setMinimumContentsLength(24);
    m_drumNote->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_drumNoteLabel->setBuddy(m_drumNote);
    connect(m_drumNote, &QComboBox::activated, this,
            [this](int note) { m_frame.runCommand([this, note] { selectDrumNote(note); }); });
    row->addWidget(m_drumNoteLabel);
    row->addWidget(m_drumNote);

    row->addStretch(1);
    m_autoTrig = new QCheckBox(texts::AutoTrigger);
    m_autoTrig->setObjectName("autotrig");
    m_autoTrig->setStatusTip("Play a test note after each edit");
    row->addWidget(m_autoTrig);
    return bar;
}

void ValueSheets::applyFont(const QFont& f)
{
    m_parts.window->setFont(f);
    for (const auto& [name, c] : m_controls) {
        QFont controlFont = c->font();
        controlFont.setFamily(f.family());
        controlFont.setPointSize(f.pointSize());
        c->setFont(controlFont);
    }
}

void ValueSheets::chooseFont()
{
    if (const auto chosen = m_dialogs->chooseFont(m_parts.window->font()))
        applyFont(*chosen);
}

QWidget* ValueSheets::buildSheets()
{
    m_pages = new QTabWidget;
    m_pages->setObjectName("page1");
    // A sheet's content joins the window only when the sheet is first shown:
    // laying out and styling the sheets nobody looks at yet was most of the
    // start-up. The Setup sheet's controls are read and set at start (the
    // devices, the shake and program options); the Tone and Common sheets'
    // are not, so they are not even built until they are shown or wanted.
    buildSheetContent(Sheet::Setup);
    m_sheets[std::size_t(Sheet::Tone)] = scrolling("wavesheet");
    m_sheets[std::size_t(Sheet::Common)] = scrolling("commonsheet");
    m_sheets[std::size_t(Sheet::Setup)] = scrolling("setupsheet");
    for (const SheetInfo& s : sheetTable())
        m_pages->addTab(m_sheets[std::size_t(s.sheet)],
                        QString::fromUtf8(s.caption.data(), qsizetype(s.caption.size())));
    nameControls();
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int) {
        attachShownSheet();
        m_frame.runCommand([this] { refresh(); });
    });
    return m_pages;
}

QWidget* ValueSheets::buildToneSheet()
{
    // Wave, LFO 1 and LFO 2 over Pitch, Filter and Amp, in fewer columns where
    // three do not fit.
    auto* page = new ColumnFlowPage(3);
    page->layout()->setContentsMargins(4, 4, 4, 4);
    page->layout()->setSpacing(4);

    // The wave panel carries the name, the wave choice and the FXM and drum-note boxes.
    QGroupBox* wave = buildPanel("wavepanel", columnsOf("wavepanel"));
    auto* waveGrid = static_cast<QGridLayout*>(wave->layout());
    const int first = waveGrid->rowCount();
    auto* name = new NameEdit;
    m_name = name;
    m_name->setObjectName("name");
    m_name->setStatusTip(texts::NameHint);
    connect(m_name, &QLineEdit::returnPressed, this,
            [this] { m_frame.runCommand([this] { nameEntered(); }); });
    connect(name, &NameEdit::doubleClicked, this,
            [this] { m_frame.runCommand([this] { m_parts.presets->randomName(); }); });
    m_category = new QComboBox;
    m_category->setObjectName("category");
    m_category->setStatusTip(texts::CategoryHint);
    for (const auto& c : waveCategories())
        m_category->addItem(QString::fromLatin1(c.name.data(), qsizetype(c.name.size())));
    connect(m_category, &QComboBox::activated, this,
            [this](int index) { m_frame.runCommand([&] { selectCategory(index); }); });
    m_wave = new QComboBox;
    m_wave->setObjectName("wave");
    m_wave->setMaxVisibleItems(24);
    m_wave->setMinimumContentsLength(14);
    m_wave->addItems(m_waveNames);
    connect(m_wave, &QComboBox::activated, this,
            [this](int index) { m_frame.runCommand([&] { selectWave(index); }); });
    // The group shown is the wave's own, however the wave came to change (a
    // refresh, a shake, another tone): "TB" beside a saw wave would mislead.
    // Only a choice in the group list jumps to a group's first wave.
    connect(m_wave, &QComboBox::currentIndexChanged, this, [this](int wave) {
        if (wave >= 0)
            m_category->setCurrentIndex(waveCategoryOf(wave));
    });
    waveGrid->addWidget(new QLabel("Name"), first, 0);
    waveGrid->addWidget(m_name, first, 1, 1, 3);
    waveGrid->addWidget(new QLabel("Group"), first + 1, 0);
    waveGrid->addWidget(m_category, first + 1, 1, 1, 3);
    waveGrid->addWidget(new QLabel("Wave"), first + 2, 0);
    waveGrid->addWidget(m_wave, first + 2, 1, 1, 3);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(buildPanel("fxmbox", columnsOf("fxmbox")));
    boxes->addWidget(buildPanel("mutegroupbox", columnsOf("mutegroupbox")));
    waveGrid->addLayout(boxes, first + 3, 0, 1, 4);

    page->addPanel(wave);
    for (const char* name : {"lfo1box", "lfo2box", "pitchpanel", "filterpanel", "amppanel"})
        page->addPanel(buildPanel(name, 2));

    // Three bars that morph level, cutoff and resonance between a pair of tones.
    m_morphPanel = new QGroupBox("Tone Morph");
    m_morphPanel->setObjectName("morphpanel");
    auto* morphRow = new QHBoxLayout(m_morphPanel);
    const char* captions[] = {"Level", "Cutoff", "Resonance"};
    for (int i = 0; i < 3; ++i) {
        auto* bar = new TRevScrB(Qt::Vertical);
        bar->setObjectName(QString("morph%1").arg(i + 1));
        bar->SetMin(0);
        bar->SetMax(100);
        bar->SetPosition(50);
        bar->setMinimumHeight(120);
        m_morphBars[std::size_t(i)] = bar;
        bar->setAccessibleName(QString("%1 %2").arg(m_morphPanel->title(), captions[i]));
        connect(bar, &TRevScrB::OnEndScroll, this,
                [this, i] { m_frame.runCommand([&] { morphReleased(i); }); });
        auto* column = new QVBoxLayout;
        column->addWidget(bar, 1, Qt::AlignHCenter);
        column->addWidget(new QLabel(captions[i]), 0, Qt::AlignHCenter);
        morphRow->addLayout(column);
    }
    m_morphPanel->hide();
    page->setSidePanel(m_morphPanel);
    return page;
}

QWidget* ValueSheets::buildCommonSheet()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(4);
    grid->addWidget(buildPanel("commonpanel", columnsOf("commonpanel")), 0, 0);
    QGroupBox* scale = buildPanel("Panel8", 1);
    m_parts.presets->buildScalePanel(scale);
    grid->addWidget(scale, 0, 1);
    grid->addWidget(buildModulationPanel(), 1, 0, 1, 3);

    // The effects and, beside them, the part box whose settings go to the part.
    QGroupBox* part = buildPanel("partpanel", columnsOf("partpanel"));
    auto* partGrid = static_cast<QGridLayout*>(part->layout());
    QGroupBox* partBox = buildPanel("GroupBox5", columnsOf("GroupBox5"));
    m_parts.presets->buildPresetSelector(partBox);
    partGrid->addWidget(partBox, 0, partGrid->columnCount(), partGrid->rowCount(), 1);
    grid->addWidget(part, 2, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
    return page;
}

QWidget* ValueSheets::buildSetupSheet()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->addWidget(buildPanel("midibox", 1), 0, 0);
    grid->addWidget(buildPanel("playbox", 1), 0, 1);
    QGroupBox* shake = buildPanel("shakebox", 1);
    m_parts.shake->buildShakeOptions(shake);
    grid->addWidget(shake, 0, 2);

    auto* options = new QGroupBox("Options");
    options->setObjectName("optionsbox");
    auto* column = new QVBoxLayout(options);
    m_showHint = new QCheckBox(texts::ShowHint);
    m_showHint->setObjectName("ShowHint");
    m_showHint->setStatusTip("Show what each control and command does here");
    column->addWidget(m_showHint);
    m_keepImage = new QCheckBox(texts::KeepImage);
    m_keepImage->setObjectName("keepimage");
    m_keepImage->setStatusTip(texts::KeepImageHint);
    connect(m_keepImage, &QCheckBox::toggled, this,
            [this](bool on) { m_settings->setBoolean(Setting::KeepImage, on); });
    column->addWidget(m_keepImage);
    m_sendWhileDragging = new QCheckBox(texts::SendWhileDragging);
    m_sendWhileDragging->setObjectName("sendwhiledragging");
    m_sendWhileDragging->setStatusTip(texts::SendWhileDraggingHint);
    // The session holds the choice; the box, the knob window's and the
    // settings follow it.
    m_session.setSendWhileDragging(m_settings->boolean(Setting::SendWhileDragging));
    m_sendWhileDragging->setChecked(m_session.sendWhileDragging());
    connect(m_sendWhileDragging, &QCheckBox::toggled, &m_session,
            &EditSession::setSendWhileDragging);
    connect(&m_session, &EditSession::sendWhileDraggingChanged, this, [this](bool on) {
        m_sendWhileDragging->setChecked(on);
        m_settings->setBoolean(Setting::SendWhileDragging, on);
    });
    column->addWidget(m_sendWhileDragging);
    auto* font = new QPushButton("Font...");
    font->setObjectName("fontbutton");
    font->setStatusTip("Choose the font of the window and its controls");
    connect(font, &QPushButton::clicked, this,
            [this] { m_frame.runCommand([this] { chooseFont(); }); });
    column->addWidget(font);
    auto* pauseRow = new QHBoxLayout;
    auto* pauseLabel = new QLabel("Pause after each message");
    m_messagePause = new QSpinBox;
    m_messagePause->setObjectName("messagepause");
    m_messagePause->setRange(0, 1000);
    m_messagePause->setSuffix(" ms");
    m_messagePause->setStatusTip(
        "Wait this long after each sysex message sent, for old interfaces and slow devices");
    pauseLabel->setBuddy(m_messagePause);
    pauseRow->addWidget(pauseLabel);
    pauseRow->addWidget(m_messagePause);
    column->addLayout(pauseRow);
    column->addStretch(1);
    grid->addWidget(options, 0, 3);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(1, 1);
    return page;
}

QWidget* ValueSheets::sheet(Sheet s) const
{
    return m_sheets[std::size_t(s)];
}

void ValueSheets::buildSheetContent(Sheet s)
{
    const auto i = std::size_t(s);
    if (m_sheetBuilt[i])
        return;
    // Marked first: the building asks for its own panels and controls by name.
    m_sheetBuilt[i] = true;
    switch (s) {
    case Sheet::Tone:
        m_sheetContent[i].reset(buildToneSheet());
        break;
    case Sheet::Common:
        m_sheetContent[i].reset(buildCommonSheet());
        break;
    case Sheet::Setup:
        m_sheetContent[i].reset(buildSetupSheet());
        break;
    }
    if (!m_pages)
        return; // the first sheets, named once all are in place
    // Built late: the controls take the names, fonts and values the others
    // already have, so reading one before the sheet is shown reads the image.
    nameControls();
    showSentValues();
    if (s == Sheet::Common) {
        refreshCommonSheet();
    } else if (s == Sheet::Tone) {
        fitToneSheetToPart();
        refreshToneSheet();
    }
    emit sheetMade(s);
}

void ValueSheets::ensureSheetBuilt(Sheet s) const
{
    // Building adds widgets, not state: the sheets read the same before and after.
    if (!m_sheetBuilt[std::size_t(s)])
        const_cast<ValueSheets*>(this)->buildSheetContent(s);
}

void ValueSheets::attachShownSheet()
{
    for (std::size_t i = 0; i < m_sheets.size(); ++i)
        if (m_pages->currentWidget() == m_sheets[i]) {
            ensureSheetBuilt(Sheet(i));
            if (m_sheetContent[i])
                m_sheets[i]->setWidget(m_sheetContent[i].release());
        }
}

QGroupBox* ValueSheets::panel(const QString& name) const
{
    auto it = m_panels.find(name);
    if (it == m_panels.end())
        if (const PanelInfo* info = findPanel(name.toStdString())) {
            ensureSheetBuilt(info->sheet);
            it = m_panels.find(name);
        }
    return it == m_panels.end() ? nullptr : it->second;
}

TDragTweak* ValueSheets::control(const QString& name) const
{
    auto it = m_controls.find(name);
    if (it == m_controls.end())
        if (const Binding* row = findBinding(name.toStdString()))
            if (const PanelInfo* info = findPanel(row->panel)) {
                ensureSheetBuilt(info->sheet);
                it = m_controls.find(name);
            }
    return it == m_controls.end() ? nullptr : it->second;
}

const Binding* ValueSheets::bindingOf(const TDragTweak* c) const
{
    const auto it = m_rows.find(c);
    return it == m_rows.end() ? nullptr : it->second;
}

ValueSheets::ValueSheets(const WindowParts& parts) : WindowPart(parts)
{
    // The names say which part and tone a value is of, so they follow the selection.
    connect(&m_session, &EditSession::partSelected, this, &ValueSheets::nameControls);
    connect(&m_session, &EditSession::shownToneSelected, this, &ValueSheets::nameControls);
    connect(&m_session, &EditSession::drumNoteSelected, this, &ValueSheets::nameControls);
}

} // namespace dorvane
