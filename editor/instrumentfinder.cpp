// SPDX-License-Identifier: GPL-3.0-or-later
// The search runs on the registry's devices as they stand, so its numbers
// are the selectors' numbers: refreshing the registry would renumber devices
// under the window's open ports.
#include "editor/instrumentfinder.h"
#include "editor/devicesetup.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"

#include "editor/afterfirstpaint.h"
#include "editor/findinstrumentpanel.h"
#include "editor/settingsstore.h"
#include "editor/windowtexts.h"
#include "midi/dialogs.h"
#include "midi/midisender.h"
#include "midi/tmidiinput.h"
#include "midi/tmidioutput.h"
#include "patch/rolandmessage.h"
#include "player/tmidiapputil.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

namespace dorvane {

namespace {

// What listens on the window's input while the search has it closed.
constexpr const char* InputCommands[] = {"GetPart", "Get8Part", "GetFile", "SendVerifyPart",
                                         "SendVerify8Part"};

} // namespace

InstrumentFinder::InstrumentFinder(const WindowParts& parts) : WindowPart(parts)
{
    m_search = new InstrumentSearch(*parts.devices, this);
    connect(m_parts.deviceSetup, &DeviceSetup::deviceIdChanged, this,
            &InstrumentFinder::showDeviceId);
}

void InstrumentFinder::buildFindRow(QGroupBox* midibox)
{
    auto* grid = static_cast<QGridLayout*>(midibox->layout());
    int row = 0;
    while (row < grid->rowCount() && grid->itemAtPosition(row, 1))
        ++row;
    grid->setRowStretch(row, 0);
    auto* caption = new QLabel(texts::DeviceIdCaption);
    caption->setStatusTip(texts::DeviceIdHint);
    m_deviceId = new QLabel;
    m_deviceId->setObjectName("deviceid");
    m_deviceId->setStatusTip(texts::DeviceIdHint);
    caption->setBuddy(m_deviceId);
    showDeviceId(m_util->Sender().InstrumentDeviceId());
    grid->addWidget(caption, row, 0);
    grid->addWidget(m_deviceId, row, 1);

    m_findButton = new QPushButton(texts::FindInstrument);
    m_findButton->setObjectName("findinstrument");
    m_findButton->setStatusTip(texts::FindInstrumentHint);
    connect(m_findButton, &QPushButton::clicked, this,
            [this] { m_frame.runCommand([this] { startSearch(); }); });
    grid->addWidget(m_findButton, row + 1, 0, 1, 2);
    grid->setRowStretch(row + 2, 1);
}

FindInstrumentPanel* InstrumentFinder::panel()
{
    return m_panel ? m_panel : buildPanel();
}

FindInstrumentPanel* InstrumentFinder::buildPanel()
{
    m_panel = new FindInstrumentPanel;
    m_panel->hide();
    // In the sheet area from the start, which owns it; shown only by a search.
    m_frame.sheetArea()->addWidget(m_panel);
    connect(m_search, &InstrumentSearch::progress, m_panel, &FindInstrumentPanel::setProgress);
    connect(m_search, &InstrumentSearch::pairFinished, m_panel, &FindInstrumentPanel::addPair);
    connect(m_search, &InstrumentSearch::finished, this,
            [this](const InstrumentSearchResult& result) {
                m_frame.runCommand([&] { searchEnded(result); });
            });
    connect(m_panel, &FindInstrumentPanel::stopRequested, this,
            [this] { m_frame.runCommand([this] { m_search->stop(); }); });
    connect(m_panel, &FindInstrumentPanel::searchAgainRequested, this,
            [this] { m_frame.runCommand([this] { startSearch(); }); });
    connect(m_panel, &FindInstrumentPanel::backRequested, this,
            [this] { m_frame.runCommand([this] { back(); }); });
    connect(m_panel, &FindInstrumentPanel::useRequested, this,
            [this](const SearchPair& pair) { m_frame.runCommand([this, pair] { choose(pair); }); });
    return m_panel;
}

void InstrumentFinder::startSearch()
{
    if (m_search->isRunning())
        return;
    m_frame.modeStarting();
    // The last command's word would read as the search's.
    m_frame.setStatusText(QString());
    panel()->searchStarted();
    m_frame.showInSheetArea(m_panel);
    setGetsEnabled(false);
    // The built-in instrument, like many a driver, takes one open input per
    // device: the window's own gives way while the search listens on all.
    m_input->Close();
    // Opening every port takes a moment on the main thread: the panel says
    // so before it starts.
    m_panel->repaint();
    m_search->start();
}

void InstrumentFinder::searchEnded(const InstrumentSearchResult& result)
{
    setGetsEnabled(true);
    m_panel->searchEnded(result);
    m_parts.deviceSetup->inputReleased();
    // The search is still inside its own call: the question waits a turn.
    if (!result.stopped && m_panel->offeredPair())
        QTimer::singleShot(0, this, [this] { m_frame.runCommand([this] { offerFound(); }); });
}

void InstrumentFinder::offerFound()
{
    // Searched again or gone back in the meantime: nothing to offer now.
    if (m_search->isRunning() || m_frame.shownInSheetArea() != m_panel)
        return;
    const SearchPair* offered = m_panel->offeredPair();
    if (!offered)
        return;
    const SearchPair pair = *offered;
    const std::uint8_t id = pair.deviceId.value_or(DeviceId);
    // Found where the window already speaks to it: nothing to choose.
    if (m_output->IsOpen() && m_output->DeviceID() == pair.output && m_input->State() == misOpen &&
        m_input->DeviceID() == pair.input && m_util->Sender().InstrumentDeviceId() == id) {
        m_frame.setStatusText(QString(texts::FoundInUse).arg(deviceIdWords(id)));
        return;
    }
    const QString question = QString(texts::UseFound)
                                 .arg(QString::fromStdString(pair.outputName),
                                      QString::fromStdString(pair.inputName), deviceIdWords(id));
    if (m_dialogs->ask(texts::withLineBreaks(question), AskKind::Warning))
        choose(pair);
}

void InstrumentFinder::choose(const SearchPair& pair)
{
    if (!isChoosable(pair) || m_search->isRunning())
        return;
    const std::uint8_t id = pair.deviceId.value_or(DeviceId);
    if (const auto problem = m_parts.deviceSetup->chooseInstrument(
            pair.output, pair.outputName, pair.input, pair.inputName, id)) {
        m_dialogs->ask(*problem, AskKind::Information);
        return;
    }
    const QString output = QString::fromStdString(pair.outputName);
    if (!m_output->IsOpen()) {
        m_dialogs->ask(QString(texts::FoundOutputNotOpened).arg(output).arg(m_output->LastError()),
                       AskKind::Information);
        return;
    }
    back();
    m_frame.setStatusText(
        QString(texts::InstrumentChosen)
            .arg(output, QString::fromStdString(pair.inputName), deviceIdWords(id)));
}

void InstrumentFinder::offerAtFirstStart()
{
    if (m_settings->boolean(Setting::FindOffered))
        return;
    // Once the window is drawn: the question belongs over it, and the window
    // should not wait for the box to be made.
    afterFirstPaint(*m_parts.window, [this] {
        m_frame.runCommand([this] {
            m_settings->setBoolean(Setting::FindOffered, true);
            if (m_dialogs->ask(texts::withLineBreaks(texts::FindOffer), AskKind::Warning))
                startSearch();
        });
    });
}

void InstrumentFinder::back()
{
    // Stopping ends the search at once, its ports closed and the window's
    // input open again.
    m_search->stop();
    m_frame.showSheets();
    m_parts.sheets->showSheet(Sheet::Setup);
}

void InstrumentFinder::showDeviceId(int id)
{
    if (m_deviceId)
        m_deviceId->setText(deviceIdWords(std::uint8_t(id)));
}

void InstrumentFinder::setGetsEnabled(bool enabled)
{
    for (const char* name : InputCommands)
        if (QAction* a = m_frame.action(name))
            a->setEnabled(enabled);
}

} // namespace dorvane
