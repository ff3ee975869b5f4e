// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/midimonitor.h"

#include "editor/fixedpitchfont.h"
#include "editor/parameterwords.h"
#include "midi/miditexts.h"
#include "patch/messagedescription.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>

namespace dorvane {

namespace {

constexpr int FlushIntervalMs = 100;

} // namespace

MidiMonitor::MidiMonitor(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("MidiMonitor");
    setWindowTitle("MIDI Monitor");
    m_clock.start();
    resize(640, 420);
    // Messages are collected from the start; the list that shows them is
    // built the first time anyone looks, so a start without the monitor does
    // not pay for it.
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (!m_paused->isChecked())
            flush();
    });
}

void MidiMonitor::buildView()
{
    if (m_view)
        return;
    m_view = new QPlainTextEdit;
    m_view->setObjectName("monitorview");
    m_view->setReadOnly(true);
    m_view->setMaximumBlockCount(int(HistoryLimit));
    m_view->setFont(fixedPitchFont(m_view->font()));
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The list follows what comes in until the user scrolls up to read, and
    // again once they are back at the bottom.
    connect(m_view->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_appending)
            m_following = value >= m_view->verticalScrollBar()->maximum();
    });

    m_paused = new QCheckBox("Pause");
    m_paused->setStatusTip("Keep the list still while you read it; messages are still collected");
    auto* clearButton = new QPushButton("Clear");
    connect(clearButton, &QPushButton::clicked, this, &MidiMonitor::clear);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_paused);
    buttons->addStretch(1);
    buttons->addWidget(clearButton);

    auto* column = new QVBoxLayout(this);
    column->addWidget(m_view, 1);
    column->addLayout(buttons);
    // Until someone looks there is nothing to show: no wake-ups before.
    m_timer.start(FlushIntervalMs);
}

void MidiMonitor::showEvent(QShowEvent* event)
{
    buildView();
    flush();
    QWidget::showEvent(event);
    // Lines came in while it was closed; opening it shows the newest.
    if (m_following)
        scrollToEnd();
}

MidiMonitor::~MidiMonitor() = default;

void MidiMonitor::add(bool out, ByteView message)
{
    if (m_pending.size() >= HistoryLimit)
        m_pending.pop_front();
    m_pending.push_back({m_clock.elapsed(), out, Bytes(message.begin(), message.end()), {}});
}

void MidiMonitor::sent(ByteView message)
{
    add(true, message);
}

void MidiMonitor::received(ByteView message)
{
    add(false, message);
}

void MidiMonitor::overflowed(std::uint32_t deliveries, std::uint32_t bytes)
{
    // Where the lost messages would have been, so the gap is read as one.
    if (m_pending.size() >= HistoryLimit)
        m_pending.pop_front();
    m_pending.push_back(
        {m_clock.elapsed(), false, {}, miditexts::inputOverflow(deliveries, bytes)});
}

void MidiMonitor::flush()
{
    buildView();
    if (m_pending.empty())
        return;
    QStringList text;
    for (const Entry& e : m_pending)
        text << QString("%1  %2  %3")
                    .arg(double(e.ms) / 1000.0, 9, 'f', 3)
                    .arg(e.out ? "out" : "in ")
                    .arg(QString::fromStdString(
                        e.note.empty() ? describeMidiMessage(e.bytes, &BindingWords::instance())
                                       : e.note));
    m_pending.clear();
    m_appending = true;
    m_view->appendPlainText(text.join('\n'));
    if (m_following)
        scrollToEnd();
    m_appending = false;
}

void MidiMonitor::scrollToEnd()
{
    QScrollBar* bar = m_view->verticalScrollBar();
    bar->setValue(bar->maximum());
}

bool MidiMonitor::following() const
{
    return m_following;
}

void MidiMonitor::clear()
{
    m_pending.clear();
    if (m_view)
        m_view->clear();
    m_following = true;
}

QStringList MidiMonitor::lines() const
{
    QStringList out;
    if (!m_view)
        return out;
    for (QTextBlock b = m_view->document()->begin(); b.isValid(); b = b.next())
        if (!b.text().isEmpty())
            out << b.text();
    return out;
}

} // namespace dorvane
