// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/verifycommands.h"
#include "editor/filecommands.h"
#include "editor/transfercommands.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"

#include "editor/differencespanel.h"
#include "editor/parameterwords.h"
#include "editor/windowtexts.h"
#include "midi/dialogs.h"
#include "midi/midisender.h"
#include "midi/tmidioutput.h"
#include "player/tmidiapputil.h"
#include "transfer/dumpreceiver.h"
#include "transfer/inputsettle.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace dorvane {

namespace {

QString qText(const std::string& s)
{
    return QString::fromStdString(s);
}

QString parameterCount(std::size_t n)
{
    return n == 1 ? QString(texts::OneParameter) : QString(texts::Parameters).arg(n);
}

ByteView partOf(ByteView image, int part)
{
    return image.subspan(partBlockOffset(part), partBlockSize(part));
}

} // namespace

VerifyCommands::VerifyCommands(const WindowParts& parts) : WindowPart(parts) {}

void VerifyCommands::buildVerifyMenu(QMenu* utility)
{
    m_frame.addAction(utility, "SendVerifyPart", texts::SendVerifyPart, {},
                      texts::SendVerifyPartHint, [this] { sendAndVerifyPart(); });
    m_frame.addAction(utility, "SendVerify8Part", texts::SendVerify8Part, {},
                      texts::SendVerify8PartHint, [this] { sendAndVerifyAll(); });
}

QWidget* VerifyCommands::differencesPage()
{
    return m_page ? m_page : buildDifferencesPage();
}

DifferencesPanel* VerifyCommands::differencesPanel()
{
    differencesPage();
    return m_panel;
}

QLabel* VerifyCommands::differencesTitle()
{
    differencesPage();
    return m_title;
}

QPushButton* VerifyCommands::differencesCloseButton()
{
    differencesPage();
    return m_close;
}

QWidget* VerifyCommands::buildDifferencesPage()
{
    m_page = new QWidget;
    m_page->setObjectName("differencespage");
    auto* column = new QVBoxLayout(m_page);
    m_title = new QLabel;
    m_title->setObjectName("differencestitle");
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_title->setWordWrap(true);
    column->addWidget(m_title);
    auto* note = new QLabel(texts::DifferencesNote);
    note->setObjectName("differencesnote");
    note->setWordWrap(true);
    column->addWidget(note);
    m_panel = new DifferencesPanel;
    column->addWidget(m_panel, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_close = new QPushButton(texts::DifferencesClose);
    m_close->setObjectName("differencesClose");
    m_close->setShortcut(QKeySequence(Qt::Key_Escape));
    buttons->addWidget(m_close);
    column->addLayout(buttons);

    connect(m_panel, &DifferencesPanel::takeTheirs, this,
            [this](int part) { m_frame.runCommand([&] { takeTheirs(part); }); });
    connect(m_panel, &DifferencesPanel::keepMine, this,
            [this](int part) { m_frame.runCommand([&] { keepMine(part); }); });
    connect(m_close, &QPushButton::clicked, this,
            [this] { m_frame.runCommand([this] { closeDifferences(); }); });
    m_page->hide();
    // In the sheet area from the start, which owns it; shown only with differences.
    m_frame.sheetArea()->addWidget(m_page);
    return m_page;
}

void VerifyCommands::setUpVerify()
{
    m_settle = new InputSettle(m_input, this);
    connect(m_settle, &InputSettle::settled, this,
            [this] { m_frame.runCommand([this] { startReadBack(); }); });
    MidiSender& sender = m_util->Sender();
    connect(&sender, &MidiSender::bytesFinished, this,
            [this] { m_frame.runCommand([this] { sendProgressed(); }); });
    connect(&sender, &MidiSender::sendFailed, this, [this](const QString& text) {
        if (m_job && m_job->phase == Phase::Sending && m_job->sendError.isEmpty())
            m_job->sendError = text;
    });
    // Whatever changes the image while the page is up (Undo, a file opened)
    // changes what differs: the list is always the window against the
    // instrument as last read.
    connect(&m_session, &EditSession::changeRecorded, this, [this] {
        if (m_frame.shownInSheetArea() == m_page)
            refreshDifferences();
    });
}

QString VerifyCommands::areaName(const VerifyArea& area) const
{
    return qText(area.name());
}

void VerifyCommands::sendAndVerifyPart()
{
    if (!m_dialogs->ask(QString(texts::SendPartQuestion).arg(m_session.partIndex() + 1),
                        AskKind::Warning))
        return;
    sendAndVerify(VerifyArea::ofPart(m_session.partNumber()));
}

void VerifyCommands::sendAndVerifyAll()
{
    if (!m_dialogs->ask(texts::Send8PartQuestion, AskKind::Warning))
        return;
    sendAndVerify(VerifyArea::wholeImage());
}

void VerifyCommands::sendAndVerify(const VerifyArea& area)
{
    // One reception at a time: the receiver and the panel are shared with the Gets.
    if (m_job || m_parts.transfers->receiving()) {
        m_frame.setStatusText(texts::TransferUnderWay);
        return;
    }
    const bool whole = area.isWholeImage();
    Bytes sent = whole ? m_session.image().AllBytes() : m_session.image().PartBytes(area.part());
    if (sent.size() != area.blockSize())
        throw std::runtime_error("the image does not hold " + area.name() + " whole");
    m_job = Job{area, std::move(sent), 0, {}, true, Phase::Sending};
    m_parts.transfers->showTransferPanel(QString(texts::VerifySending).arg(areaName(area)),
                                         texts::VerifySendingNote);
    // The part goes out as the Send commands send it, panic messages and all;
    // its state is the verdict's, not the send's.
    if (!whole) {
        m_util->AllSoundOff();
        m_util->ResetAllControllers();
    }
    m_parts.transfers->sendWithProgress(m_job->sent);
    m_job->end = m_util->Sender().BytesGiven();
    if (whole) {
        m_util->AllSoundOff();
        m_util->ResetAllControllers();
    }
    sendProgressed();
}

void VerifyCommands::sendProgressed()
{
    if (!m_job || m_job->phase != Phase::Sending || m_util->Sender().BytesFinished() < m_job->end)
        return;
    if (!m_job->sendError.isEmpty() || !m_job->readBackWanted) {
        endAsSent();
        return;
    }
    // Echoes of the data (a MIDI thru, a loop) pass first: what the reading
    // back then hears can only be an answer to its request.
    m_job->phase = Phase::Settling;
    m_settle->start();
}

void VerifyCommands::endAsSent()
{
    const Job job = std::move(*m_job);
    m_job.reset();
    m_settle->cancel();
    const QString name = areaName(job.area);
    for (const int part : job.area.parts()) {
        const int index = partSyncIndex(part);
        if (job.sendError.isEmpty())
            m_session.partSent(index);
        else
            m_session.partChangedHere(index, QString(texts::SendFailedReason).arg(job.sendError));
    }
    if (m_parts.transfers->receiving())
        m_frame.showSheets();
    m_frame.setStatusText(job.sendError.isEmpty()
                              ? QString(texts::VerifyStopped).arg(name)
                              : QString(texts::VerifySendFailed).arg(name, job.sendError));
    showListed();
}

void VerifyCommands::startReadBack()
{
    if (!m_job || m_job->phase != Phase::Settling)
        return;
    m_job->phase = Phase::Reading;
    m_parts.transfers->showTransferPanel(QString(texts::VerifyReading).arg(areaName(m_job->area)),
                                         texts::ReceptionWaiting);
    m_job->area.startReception(m_parts.transfers->receiver());
    m_util->SendLong(m_job->area.request());
}

void VerifyCommands::stopBeforeReadBack()
{
    if (!m_job || m_job->phase == Phase::Reading)
        return;
    m_job->readBackWanted = false;
    m_frame.showSheets();
    if (m_job->phase == Phase::Settling)
        endAsSent();
    else
        sendProgressed();
}

void VerifyCommands::readBackEnded(const DumpResult& result)
{
    if (!m_job || m_job->phase != Phase::Reading)
        return;
    const Job job = std::move(*m_job);
    m_job.reset();
    const QString name = areaName(job.area);
    const BindingWords words(m_parts.sheets->waveNames());
    const VerifyVerdict verdict = verifyVerdict(job.area, job.sent, result, &words);

    if (verdict.outcome == VerifyVerdict::Outcome::NotRead) {
        // The send itself went as a plain send goes.
        for (const int part : job.area.parts())
            m_session.partSent(partSyncIndex(part));
        m_frame.setStatusText(QString(texts::VerifyNotRead).arg(name, qText(verdict.problem)));
        showListed();
        return;
    }

    const std::size_t base = job.area.isWholeImage() ? 0 : partBlockOffset(job.area.part());
    for (const int part : verdict.partsAlike(job.area)) {
        // A part the window changed meanwhile (a file opened onto it) is not
        // the part that was verified.
        const Bytes now = m_session.image().refreshedPartBytes(part);
        const ByteView sentPart =
            ByteView(job.sent).subspan(partBlockOffset(part) - base, partBlockSize(part));
        if (std::equal(now.begin(), now.end(), sentPart.begin(), sentPart.end()))
            m_session.partVerified(partSyncIndex(part));
    }
    const std::vector<int> differing = verdict.partsDiffering();
    for (const int part : differing) {
        std::size_t n = 0;
        for (const ImageDifference& d : verdict.differences)
            n += d.part == part ? 1 : 0;
        m_session.partChangedHere(partSyncIndex(part),
                                  QString(texts::DiffersReason).arg(parameterCount(n)));
    }
    // A part read again leaves the page's list, whatever it was listed for.
    for (const int part : job.area.parts())
        m_listed.erase(part);
    if (verdict.clean()) {
        m_frame.setStatusText(QString(texts::Verified).arg(name));
        showListed();
        return;
    }
    // The instrument's version of the covered parts, over the window's image
    // as it stands, so each part's rows can be taken whole.
    Bytes theirs = m_session.image().bytes();
    std::copy(verdict.theirs.begin(), verdict.theirs.end(), theirs.begin() + std::ptrdiff_t(base));
    showDifferences(theirs, differing, Origin::Verify);
    m_frame.setStatusText(
        QString(texts::VerifyDiffers).arg(qText(differenceSummary(verdict.differences))));
}

void VerifyCommands::showListed()
{
    if (m_listed.empty()) {
        m_theirs.clear();
        return;
    }
    m_frame.modeStarting();
    m_frame.showInSheetArea(differencesPage());
    refreshDifferences();
}

VerifyCommands::DumpChoice VerifyCommands::beforeLoading(const DumpResult& result)
{
    if (!result.loadable() || result.mode == ReceiveMode::File ||
        m_session.image().bytes().size() != ImageSize)
        return DumpChoice::Load;
    const VerifyArea area = result.mode == ReceiveMode::AllParts ? VerifyArea::wholeImage()
                                                                 : VerifyArea::ofPart(result.part);
    // The dump is the instrument's latest word on its parts: a list of them
    // from an earlier reading is stale.
    for (const int part : area.parts())
        m_listed.erase(part);
    t505temppatch copy;
    copy.LoadFromBytes(m_session.image().bytes());
    if (!result.loadInto(copy))
        return DumpChoice::Load;
    const Bytes& theirs = copy.bytes();
    const Bytes& mine = m_session.image().bytes();

    std::vector<int> unsaved;
    for (const int part : area.parts())
        if (m_parts.files->hasUnsavedChanges(part))
            unsaved.push_back(part);
    if (unsaved.empty())
        return DumpChoice::Load;
    const BindingWords words(m_parts.sheets->waveNames());
    const std::vector<ImageDifference> atStake = imageDifferences(mine, theirs, unsaved, &words);
    if (atStake.empty())
        return DumpChoice::Load;

    const QString question = QString(texts::GetDiffers).arg(qText(differenceSummary(atStake)));
    const int choice =
        m_dialogs->askChoice(texts::withLineBreaks(question),
                             {texts::GetLoad, texts::GetShowDifferences, texts::GetDontLoad});
    if (choice == 0)
        return DumpChoice::Load;

    // What came in is known either way: parts it holds alike are in step;
    // the others hold another version than the window's.
    std::vector<int> differing;
    for (const int part : area.parts()) {
        if (imageDifferences(mine, theirs, std::vector<int>{part}).empty())
            m_session.partsReceived(partSyncIndex(part));
        else
            differing.push_back(part);
    }
    if (choice == 1) {
        showDifferences(theirs, differing, Origin::Get);
        return DumpChoice::Shown;
    }
    for (const int part : differing)
        m_session.partChangedHere(partSyncIndex(part), texts::NotLoadedReason);
    return DumpChoice::NotLoaded;
}

void VerifyCommands::showDifferences(const Bytes& theirs, const std::vector<int>& parts,
                                     Origin origin)
{
    // The instrument's parts read before and still listed stay as they were.
    Bytes merged = theirs;
    if (m_theirs.size() == ImageSize)
        for (const auto& [part, from] : m_listed)
            std::copy_n(m_theirs.begin() + std::ptrdiff_t(partBlockOffset(part)),
                        partBlockSize(part),
                        merged.begin() + std::ptrdiff_t(partBlockOffset(part)));
    m_theirs = std::move(merged);
    for (const int part : parts)
        m_listed[part] = origin;
    m_frame.modeStarting();
    m_frame.showInSheetArea(differencesPage());
    refreshDifferences();
}

std::vector<int> VerifyCommands::partsShown() const
{
    return m_panel ? partsOf(m_panel->differences()) : std::vector<int>{};
}

void VerifyCommands::refreshDifferences()
{
    std::vector<int> parts;
    for (const auto& [part, origin] : m_listed)
        parts.push_back(part);
    std::vector<ImageDifference> differences;
    if (m_theirs.size() == ImageSize && m_session.image().bytes().size() == ImageSize) {
        const BindingWords words(m_parts.sheets->waveNames());
        differences = imageDifferences(m_session.image().bytes(), m_theirs, parts, &words);
    }
    // A part the window has come to hold as the instrument does (an Undo, a
    // file opened) is in step, and there is nothing left to choose for it.
    const std::vector<int> stillDiffering = partsOf(differences);
    for (const int part : parts)
        if (std::find(stillDiffering.begin(), stillDiffering.end(), part) == stillDiffering.end()) {
            m_listed.erase(part);
            m_session.partsReceived(partSyncIndex(part));
        }
    m_title->setText(QString(texts::DifferencesTitle).arg(qText(differenceSummary(differences))));
    m_panel->setDifferences(std::move(differences));
    for (const auto& [part, origin] : m_listed) {
        if (QPushButton* theirs = m_panel->takeTheirsButton(part))
            theirs->setToolTip(texts::TakeTheirsHint);
        if (QPushButton* mine = m_panel->keepMineButton(part))
            mine->setToolTip(origin == Origin::Verify ? texts::KeepMineVerifyHint
                                                      : texts::KeepMineGetHint);
    }
    // Nothing left to choose: the sheets come back.
    if (m_panel->differences().empty() && m_frame.shownInSheetArea() == m_page)
        closeDifferences();
}

void VerifyCommands::closeDifferences()
{
    // A dump's part left without a choice was not loaded.
    for (const auto& [part, origin] : m_listed)
        if (origin == Origin::Get)
            m_session.partChangedHere(partSyncIndex(part), texts::NotLoadedReason);
    m_listed.clear();
    m_theirs.clear();
    if (m_frame.shownInSheetArea() == m_page) {
        m_frame.showSheets();
        m_parts.sheets->refresh();
    }
}

void VerifyCommands::takeTheirs(int part)
{
    if (m_theirs.size() != ImageSize || !m_listed.contains(part))
        return;
    const ByteView block = partOf(m_theirs, part);
    const QString label = qText(differencePartLabel(part));
    m_listed.erase(part);
    // The instrument holds it already: nothing goes back.
    m_session.apply(
        QString(texts::TakeTheirsStep).arg(label),
        [&](t505temppatch& image) {
            Bytes all = image.bytes();
            std::copy(block.begin(), block.end(),
                      all.begin() + std::ptrdiff_t(partBlockOffset(part)));
            image.LoadFromBytes(all);
        },
        EditSession::Sending::Nothing);
    m_session.partsReceived(partSyncIndex(part));
    m_parts.sheets->refresh();
    m_frame.setStatusText(QString(texts::TookTheirs).arg(label));
    refreshDifferences();
}

void VerifyCommands::keepMine(int part)
{
    const auto it = m_listed.find(part);
    if (it == m_listed.end())
        return;
    const Origin origin = it->second;
    m_listed.erase(it);
    if (origin == Origin::Get) {
        m_session.partChangedHere(partSyncIndex(part), texts::KeptMineReason);
        refreshDifferences();
        return;
    }
    // The point of Send and Verify was to put the window's part on the
    // instrument: it goes again, and is read back again.
    refreshDifferences();
    sendAndVerify(VerifyArea::ofPart(part));
}

} // namespace dorvane
