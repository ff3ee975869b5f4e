// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/drummixerpanel.h"

#include "editor/fixedpitchfont.h"
#include "editor/trevscrb.h"
#include "editor/windowtexts.h"
#include "patch/layout.h"
#include "session/editsession.h"
#include "tools/drummixer.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <array>
#include <span>

namespace dorvane {

namespace {

// Room for a value after a wave name a little past the value column.
constexpr int ListColumns = 36;
// Above and below each line, as a list view leaves around its text.
constexpr int FontLeading = 1;

QString itemText(const DrumMixerType& type)
{
    return QString::fromLatin1(type.item.data(), qsizetype(type.item.size()));
}

// The note list lines its values up in one column only in a fixed-pitch font.
// Only the family is set, so the size still follows the window's font.
QFont listFont()
{
    return fixedPitchFont(QFont(), {"Courier New"});
}

} // namespace

DrumMixerPanel::DrumMixerPanel(EditSession& session, const QStringList& waveNames,
                               CommandRunner run, QWidget* parent)
    : QGroupBox(texts::DrumMixerCaption, parent), m_session(session), m_waveNames(waveNames),
      m_run(std::move(run))
{
    setObjectName("mixerpanel");

    m_type = new QComboBox;
    m_type->setObjectName("mixertype");
    for (const DrumMixerType& t : drumMixerTypes())
        m_type->addItem(itemText(t));
    connect(m_type, &QComboBox::currentIndexChanged, this,
            [this](int) { m_run([this] { typeChanged(); }); });

    m_notes = new QListWidget;
    m_notes->setObjectName("notelist");
    m_notes->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_notes->setFont(listFont());
    m_notes->setUniformItemSizes(true);
    // The kit in columns, down and across, so all 64 notes show at once in the
    // panel's width rather than a strip of them behind a scroll bar.
    m_notes->setFlow(QListView::TopToBottom);
    m_notes->setWrapping(true);
    m_notes->setResizeMode(QListView::Adjust);
    m_notes->setStatusTip(texts::DrumMixerListHint);

    m_value = new QLabel;
    m_value->setObjectName("mixervalue");
    m_value->setAlignment(Qt::AlignCenter);
    m_value->setMinimumWidth(m_value->fontMetrics().horizontalAdvance("0000"));

    m_fader = new TRevScrB(Qt::Vertical);
    m_fader->setObjectName("mixerslider");
    m_fader->SetPos2Hint(false);
    m_fader->SetIncrementValue(1);
    m_fader->setSingleStep(1);
    m_fader->SetMin(0);
    m_fader->SetMax(currentType().max);
    m_fader->SetRevPosition(0);
    m_fader->setMinimumHeight(160);
    // A fader's width to take hold of, standing the panel's full height.
    m_fader->setMinimumWidth(m_fader->sizeHint().width() * 3);
    m_fader->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    m_fader->setStatusTip(texts::DrumMixerFaderHint);
    // The value shows while the fader moves; the notes change once it is let go.
    connect(m_fader, &QScrollBar::valueChanged, this, [this] {
        const QString value = QString::number(m_fader->RevPosition());
        m_value->setText(value);
        if (isVisible())
            emit statusText(value);
        // Heard as it moves when the musician wants it; the release still
        // makes the move one change.
        if (m_fader->isSliderDown() && m_session.sendWhileDragging())
            m_run([this] {
                std::array<ParameterWrite, DrumNoteCount> writes{};
                m_session.preview(std::span(writes.data(), faderWrites(writes)));
            });
    });
    connect(m_fader, &TRevScrB::OnEndScroll, this, [this] { m_run([this] { apply(); }); });

    m_close = new QPushButton(texts::DrumMixerClose);
    m_close->setObjectName("mixerclose");
    m_close->setShortcut(Qt::Key_Escape);
    m_close->setStatusTip(texts::DrumMixerCloseHint);
    connect(m_close, &QPushButton::clicked, this, &DrumMixerPanel::closeRequested);

    // The fader stands right beside the lines it sets, as tall as the list.
    auto* grid = new QGridLayout(this);
    auto* typeRow = new QHBoxLayout;
    auto* typeLabel = new QLabel("Parameter");
    typeLabel->setBuddy(m_type);
    typeRow->addWidget(typeLabel);
    typeRow->addWidget(m_type);
    typeRow->addStretch(1);
    typeRow->addWidget(m_close);
    grid->addLayout(typeRow, 0, 0, 1, 2);
    fitListWidth();
    m_notes->installEventFilter(this);
    grid->addWidget(m_notes, 1, 0);
    grid->addWidget(m_fader, 1, 1, Qt::AlignHCenter);
    grid->addWidget(m_value, 2, 1);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(1, 1);
}

void DrumMixerPanel::fitListWidth()
{
    const QFontMetrics metrics = m_notes->fontMetrics();
    const int line = metrics.horizontalAdvance(QString(ListColumns, 'M'));
    // Two blanks between columns, so a value never reads as the next line's note.
    m_notes->setGridSize(
        QSize(line + 2 * metrics.horizontalAdvance('M'), metrics.height() + 2 * FontLeading));
    m_notes->setMinimumWidth(line + m_notes->verticalScrollBar()->sizeHint().width() +
                             2 * m_notes->frameWidth());
}

bool DrumMixerPanel::eventFilter(QObject* watched, QEvent* event)
{
    // The list's size follows the window's font (Options › Font).
    if (watched == m_notes && event->type() == QEvent::FontChange)
        fitListWidth();
    return QGroupBox::eventFilter(watched, event);
}

const DrumMixerType& DrumMixerPanel::currentType() const
{
    const auto types = drumMixerTypes();
    const int index = m_type ? m_type->currentIndex() : 0;
    return types[std::size_t(std::clamp(index, 0, int(types.size()) - 1))];
}

void DrumMixerPanel::start()
{
    if (m_type->currentIndex() != 0)
        m_type->setCurrentIndex(0); // the type change rebuilds
    else
        typeChanged();
    m_notes->setFocus();
}

void DrumMixerPanel::typeChanged()
{
    // Notes chosen for one parameter are not chosen for the next: the next
    // release would write the new parameter's value into them unseen.
    m_notes->clearSelection();
    rebuild();
    // The fader keeps the value it stands at as far as the new range allows:
    // it never offers, and never sends, a value past the parameter's range.
    const DrumMixerType& type = currentType();
    const int value = std::min(m_fader->RevPosition(), type.max);
    m_fader->SetMax(type.max);
    m_fader->SetRevPosition(value);
    m_fader->setPageStep(std::max(1, (type.max + 1) / 8));
    m_value->setText(QString::number(m_fader->RevPosition()));
}

void DrumMixerPanel::rebuild()
{
    const DrumMixerType& type = currentType();
    const t505temppatch& image = m_session.image();
    const QStringList& waves = m_waveNames;
    if (m_notes->count() != DrumNoteCount) {
        m_notes->clear();
        for (int k = 0; k < DrumNoteCount; ++k)
            m_notes->addItem(drumMixerLine(image, type, k, waves));
        return;
    }
    for (int k = 0; k < DrumNoteCount; ++k)
        m_notes->item(k)->setText(drumMixerLine(image, type, k, waves));
}

std::size_t DrumMixerPanel::faderWrites(std::array<ParameterWrite, DrumNoteCount>& writes) const
{
    const DrumMixerType& type = currentType();
    const int value = m_fader->RevPosition();
    // Rows in list order: selectedItems() would give them in the order clicked.
    std::size_t count = 0;
    for (int k = 0; k < m_notes->count() && k < DrumNoteCount; ++k)
        if (m_notes->item(k)->isSelected() && drumMixerValueFits(type, k, value))
            writes[count++] = {RhythmPart, k, type.parameter, value};
    return count;
}

void DrumMixerPanel::apply()
{
    const DrumMixerType& type = currentType();
    // One change of the session, its messages handed to the port together:
    // the port still passes them to the device one at a time (and the message
    // pause, when set, still comes between them), with one hand-over and one
    // wake-up for the lot instead of one per note. After steps sent as the
    // fader moved, each takes the place of its note's step still waiting.
    std::array<ParameterWrite, DrumNoteCount> writes{};
    const std::size_t count = faderWrites(writes);
    if (count == 0)
        return;
    // Sent before the lines change, so the instrument hears the fader before
    // the window spends time repainting.
    m_session.apply(QString("Drum mixer %1, part R").arg(itemText(type).trimmed()),
                    std::span(writes.data(), count),
                    m_session.sendWhileDragging() ? EditSession::Handover::Latest
                                                  : EditSession::Handover::Together);
    for (std::size_t i = 0; i < count; ++i)
        m_notes->item(writes[i].area)
            ->setText(drumMixerLine(m_session.image(), type, writes[i].area, m_waveNames));
}

} // namespace dorvane
