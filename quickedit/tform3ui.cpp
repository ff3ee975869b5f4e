// SPDX-License-Identifier: GPL-3.0-or-later
// Building the quick-edit window: a front panel of boxed, titled sections with
// the knobs in rows and their names under them, made from the knob table; the
// lists, boxes and buttons above; the three status panels below.
#include "quickedit/tform3.h"

#include "editor/bindingtable.h"
#include "editor/interfacepalette.h"
#include "editor/valueaccessible.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"
#include "editor/windowparts.h"
#include "editor/windowtexts.h"
#include "player/tmidiapputil.h"
#include "quickedit/knobstrips.h"
#include "quickedit/knobtable.h"
#include "quickedit/paneldisplay.h"
#include "quickedit/panelsection.h"
#include "quickedit/quickedittexts.h"
#include "quickedit/statuspanels.h"
#include "quickedit/tknob.h"
#include "session/editsession.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace dorvane {

namespace {

constexpr int SectionSpacing = 8;
constexpr int RowSpacing = 6; // between one row's names and the next row's knobs
constexpr int ButtonWidth = 34;

QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QFont nameFont(const QFont& base)
{
    QFont f = base;
    f.setPointSizeF(base.pointSizeF() * 0.9);
    return f;
}

QLabel* smallLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFont(nameFont(label->font()));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return label;
}

const PictureStrip& stripOf(const KnobStrips& strips, KnobStrip kind)
{
    switch (kind) {
    case KnobStrip::Switch:
        return strips.Switch();
    case KnobStrip::FilterType:
        return strips.FilterType();
    case KnobStrip::LfoWave:
        return strips.LfoWave();
    case KnobStrip::Knob:
        break;
    }
    return strips.Knob();
}

} // namespace

void Tform3::applyPanelPalette()
{
    // The application's palette, the main window's: the knob window is the
    // same program, light or dark as the desktop is. Only the displays inside
    // it keep the instrument's dark faces.
    setAutoFillBackground(true);
}

KnobStrips Tform3::drawStrips() const
{
    // For this window's screen, on the panel's colour.
    const QScreen* screen = m_main.screen() ? m_main.screen() : QApplication::primaryScreen();
    return KnobStrips(screen ? screen->devicePixelRatio() : 1.0, palette().color(QPalette::Window));
}

void Tform3::recolourKnobs()
{
    const KnobStrips strips = drawStrips();
    for (const KnobRow& row : knobTable())
        if (tknob* k = knob(fromView(row.control)))
            k->recolour(stripOf(strips, row.strip));
}

int Tform3::knobCellWidth() const
{
    // One width for every column, so the knobs of all sections stand on one
    // pitch: wide enough for the longest word under a single knob. Longer
    // names take two lines, as on a hardware panel.
    const QFontMetrics metrics(nameFont(font()));
    int widest = KnobStrips::KnobFrameSize.width();
    for (const KnobRow& row : knobTable())
        if (row.span == 1)
            for (const QString& word : fromView(row.label).split(' '))
                widest = std::max(widest, metrics.horizontalAdvance(word));
    return widest + 4;
}

QString Tform3::wrappedName(const QString& name, int width) const
{
    const QFontMetrics metrics(nameFont(font()));
    QStringList lines;
    for (const QString& word : name.split(' ')) {
        if (!lines.isEmpty() && metrics.horizontalAdvance(lines.back() + ' ' + word) <= width)
            lines.back() += ' ' + word;
        else
            lines << word;
    }
    return lines.join('\n');
}

tknob* Tform3::makeKnob(const KnobRow& row, QWidget* parent, const KnobStrips& strips)
{
    TDragTweak* control = m_sheets.control(fromView(row.control));
    const Binding* binding = control ? m_sheets.bindingOf(control) : nullptr;
    auto* k = new tknob(parent);
    k->setObjectName(QString("knob_") + fromView(row.control));
    k->SetTag5(row.section == KnobSection::Common ? 1 : 0);
    if (binding)
        k->setToolTip(fromView(binding->label));
    k->SetCopyDragTweak(control);
    // Reached with Tab in the table's order, turned with the arrow keys.
    k->setFocusPolicy(Qt::StrongFocus);
    k->SetiImageList(&stripOf(strips, row.strip));
    // The strips' frames are opaque over the whole knob: nothing beneath needs
    // painting again when a knob turns.
    k->setAttribute(Qt::WA_OpaquePaintEvent);
    connect(k, &tknob::OnMouseEnter, this, &Tform3::knobEntered);
    connect(k, &tknob::OnChange, this, &Tform3::knobChanged);
    connect(k, &tknob::dragged, this, &Tform3::knobDragged);
    m_knobs.push_back(k);
    return k;
}

QGridLayout* Tform3::knobGrid(KnobSection section, QWidget* parent, const KnobStrips& strips)
{
    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(0);
    int columns = 0;
    int rows = 0;
    for (const KnobRow& row : knobTable()) {
        if (row.section != section)
            continue;
        // Each knob row takes three grid rows: the pictures, their names, and
        // a gap; so the names of one row line up whatever the pictures' heights.
        grid->addWidget(makeKnob(row, parent, strips), row.row * 3, row.column, 1, row.span,
                        Qt::AlignCenter);
        // A little short of the cell, so neighbours' names never touch.
        const int width = m_cellWidth * row.span - 8;
        QLabel* name = smallLabel(wrappedName(fromView(row.label), width), parent);
        name->setObjectName(QString("name_") + fromView(row.control));
        grid->addWidget(name, row.row * 3 + 1, row.column, 1, row.span, Qt::AlignHCenter);
        columns = std::max(columns, row.column + row.span);
        rows = std::max(rows, row.row + 1);
    }
    for (int c = 0; c < columns; ++c)
        grid->setColumnMinimumWidth(c, m_cellWidth);
    for (int r = 0; r < rows; ++r) {
        grid->setRowMinimumHeight(r * 3, KnobStrips::KnobFrameSize.height());
        if (r + 1 < rows)
            grid->setRowMinimumHeight(r * 3 + 2, RowSpacing);
    }
    grid->setRowStretch(rows * 3, 1);
    return grid;
}

PanelSection* Tform3::buildKnobSection(KnobSection section, const KnobStrips& strips)
{
    const KnobSectionInfo& info = knobSection(section);
    auto* box = new PanelSection(fromView(info.caption));
    box->setObjectName(fromView(info.name));
    auto* line = new QHBoxLayout(box);
    line->setContentsMargins(box->frameMargins());
    line->setSpacing(8);
    // The wave section carries its two lists beside its knobs.
    if (section == KnobSection::Wave)
        line->addWidget(buildWaveLists(), 0, Qt::AlignTop);
    line->addLayout(knobGrid(section, box, strips));
    m_sections.push_back(box);
    return box;
}

QWidget* Tform3::buildWaveLists()
{
    auto* lists = new QWidget;
    auto* grid = new QGridLayout(lists);
    grid->setContentsMargins(0, 0, 6, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);

    m_wave = new QComboBox;
    m_wave->setObjectName("wave");
    m_wave->setMaxVisibleItems(24);
    m_wave->setMinimumContentsLength(14);
    m_wave->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    for (int i = 0; i < m_sheets.waveList()->count(); ++i)
        m_wave->addItem(m_sheets.waveList()->itemText(i));
    connect(m_wave, &QComboBox::activated, this,
            [this](int index) { m_frame.runCommand([&] { m_sheets.selectWave(index); }); });
    connect(m_sheets.waveList(), &QComboBox::currentIndexChanged, this, &Tform3::followWave);

    m_category = new QComboBox;
    m_category->setObjectName("category");
    m_category->setStatusTip(texts::CategoryHint);
    m_category->setMaxVisibleItems(24);
    for (const auto& c : waveCategories())
        m_category->addItem(fromView(c.name));
    connect(m_category, &QComboBox::activated, this, [this](int index) {
        m_frame.runCommand([&] {
            m_sheets.selectCategory(index);
            m_sheets.refresh();
        });
    });
    connect(m_sheets.categoryList(), &QComboBox::currentIndexChanged, this,
            &Tform3::followCategory);

    auto* waveLabel = new QLabel("Wave");
    waveLabel->setBuddy(m_wave);
    auto* groupLabel = new QLabel("Group");
    groupLabel->setBuddy(m_category);
    grid->addWidget(groupLabel, 0, 0);
    grid->addWidget(m_category, 0, 1);
    grid->addWidget(waveLabel, 1, 0);
    grid->addWidget(m_wave, 1, 1);
    grid->setRowStretch(2, 1);
    return lists;
}

PanelSection* Tform3::buildValueSection()
{
    auto* box = new PanelSection("Value");
    box->setObjectName("valuesection");
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(box->frameMargins());
    column->setSpacing(6);
    m_display = new PanelDisplay;
    m_display->setObjectName("display");
    column->addWidget(m_display);

    auto* entry = new QHBoxLayout;
    auto* label = new QLabel(texts::Value);
    m_valueBox = new QLineEdit;
    m_valueBox->setObjectName("valuebox");
    m_valueBox->setToolTip(texts::ValueHint);
    m_valueBox->setStatusTip(QString(texts::ValueHint).simplified());
    label->setBuddy(m_valueBox);
    m_valueBox->installEventFilter(this);
    connect(m_valueBox, &QLineEdit::returnPressed, this,
            [this] { m_frame.runCommand([this] { valueEntered(); }); });
    entry->addWidget(label);
    entry->addWidget(m_valueBox, 1);
    column->addLayout(entry);
    column->addStretch(1);
    return box;
}

PanelSection* Tform3::buildToneSection()
{
    auto* box = new PanelSection("Tone");
    box->setObjectName("tonesection");
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(box->frameMargins());
    column->setSpacing(2);

    column->addWidget(new QLabel(texts::ToneSelectHint));
    auto* selectRow = new QHBoxLayout;
    for (int t = 1; t <= 4; ++t) {
        auto* b = new QCheckBox(QString::number(t));
        b->setObjectName(QString("tone%1").arg(t));
        b->setStatusTip(texts::ToneSelectHint);
        // Named as the main window's boxes, which these mirror.
        b->setAccessibleName(QString("Tone Select, tone %1").arg(t));
        m_toneBoxes[std::size_t(t - 1)] = b;
        // The box has toggled itself by the time the click arrives.
        connect(b, &QCheckBox::clicked, this,
                [this, t] { m_frame.runCommand([&] { toneBoxReleased(t); }); });
        // A screen reader's toggle, which comes without a click.
        connect(b, &QCheckBox::toggled, this, [this, t](bool checked) {
            if (checked != m_session.toneSelected(t))
                m_session.setToneSelected(t, checked);
        });
        selectRow->addWidget(b);
    }
    selectRow->addStretch(1);
    column->addLayout(selectRow);

    // The same choice as the main window's box: the session holds it.
    m_sendWhileDragging = new QCheckBox(texts::SendWhileDragging);
    m_sendWhileDragging->setObjectName("sendwhiledragging");
    m_sendWhileDragging->setStatusTip(texts::SendWhileDraggingHint);
    m_sendWhileDragging->setChecked(m_session.sendWhileDragging());
    connect(m_sendWhileDragging, &QCheckBox::toggled, &m_session,
            &EditSession::setSendWhileDragging);
    connect(&m_session, &EditSession::sendWhileDraggingChanged, m_sendWhileDragging,
            &QCheckBox::setChecked);
    column->addWidget(m_sendWhileDragging);

    column->addSpacing(4);
    column->addWidget(new QLabel(texts::ShowTone));
    auto* showRow = new QHBoxLayout;
    m_showGroup = new QButtonGroup(this);
    for (int t = 1; t <= 4; ++t) {
        auto* b = new QRadioButton(QString::number(t));
        b->setObjectName(QString("show%1").arg(t));
        b->setStatusTip(texts::ToneShownHint);
        b->setAccessibleName(QString("%1, tone %2").arg(texts::ShowTone).arg(t));
        m_showGroup->addButton(b, t);
        showRow->addWidget(b);
    }
    showRow->addStretch(1);
    connectChoice(
        m_showGroup, this, [this] { return m_session.shownTone(); },
        [this](int tone) { m_frame.runCommand([&] { m_sheets.selectShownTone(tone); }); });
    column->addLayout(showRow);
    column->addStretch(1);
    return box;
}

PanelSection* Tform3::buildPatchSection()
{
    auto* box = new PanelSection("Patch");
    box->setObjectName("patchsection");
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(box->frameMargins());
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(1);
    // Buttons of one kind stand together over the word for it, with a gap
    // between the kinds, like a row of keys on the instrument.
    int column = 0;
    QString group;
    int groupStart = 0;
    auto closeGroup = [&] {
        if (!group.isEmpty())
            grid->addWidget(smallLabel(group, box), 1, groupStart, 1, column - groupStart,
                            Qt::AlignHCenter);
    };
    for (const auto& b : texts::QuickButtons) {
        if (group != b.group) {
            closeGroup();
            if (!group.isEmpty())
                grid->setColumnMinimumWidth(column++, 8);
            group = b.group;
            groupStart = column;
        }
        auto* button = new QPushButton(b.caption);
        button->setObjectName(QString("button_") + b.caption);
        button->setStatusTip(b.hint);
        button->setToolTip(b.hint);
        button->setFixedWidth(ButtonWidth);
        button->setFocusPolicy(Qt::TabFocus);
        const char* action = b.action;
        connect(button, &QPushButton::clicked, this, [this, action] { runMainCommand(action); });
        m_buttons.push_back(button);
        grid->addWidget(button, 0, column++);
    }
    closeGroup();
    grid->setRowStretch(2, 1);
    return box;
}

QWidget* Tform3::buildTopRow(const KnobStrips& strips)
{
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(SectionSpacing);
    line->addWidget(buildKnobSection(KnobSection::Wave, strips));
    line->addWidget(buildValueSection());
    line->addWidget(buildToneSection());
    line->addWidget(buildPatchSection(), 1);
    return row;
}

QWidget* Tform3::buildStatusBar()
{
    m_status = new StatusPanels;
    m_status->setObjectName("statusbar");
    // The value panel holds the longest value label a knob can take.
    m_status->setWidthFor(1, "continuous  ");
    m_status->setWidthFor(2, texts::PressF9);
    return m_status;
}

void Tform3::build()
{
    applyPanelPalette();
    m_cellWidth = knobCellWidth();
    const KnobStrips strips = drawStrips();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(SectionSpacing, SectionSpacing, SectionSpacing, 4);
    column->setSpacing(SectionSpacing);
    column->addWidget(buildTopRow(strips));
    for (const auto& sections :
         {std::vector{KnobSection::Pitch, KnobSection::Filter, KnobSection::Amp},
          std::vector{KnobSection::Lfo1, KnobSection::Lfo2, KnobSection::Pan,
                      KnobSection::Common}}) {
        auto* line = new QHBoxLayout;
        line->setSpacing(SectionSpacing);
        // The rows share one width: the sections of a shorter row spread out.
        for (KnobSection s : sections)
            line->addWidget(buildKnobSection(s, strips));
        column->addLayout(line);
    }
    column->addWidget(buildStatusBar());

    // The strips are pictures drawn on the window's colour: a new palette
    // needs them drawn again, or the knobs would sit in squares of the old one.
    whenPaletteChanges(this, [this] { recolourKnobs(); });

    // Every knob draws a frame: its position is moved to each end once.
    for (tknob* k : m_knobs) {
        k->SetPosition(k->Min());
        k->SetPosition(k->Max());
    }

    // The main window's commands keep their keys here (F9 above all).
    for (QAction* a : m_main.findChildren<QAction*>())
        if (!a->shortcut().isEmpty())
            addAction(a);

    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    column->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace dorvane
