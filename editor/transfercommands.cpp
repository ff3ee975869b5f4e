// SPDX-License-Identifier: GPL-3.0-or-later
// Sending patches and sysex files to the instrument, asking it for dumps and
// receiving them: the Utility menu's transfer commands and the sysexBtn.
#include "editor/transfercommands.h"
#include "editor/filecommands.h"
#include "editor/valuesheets.h"
#include "editor/verifycommands.h"
#include "editor/windowframe.h"

#include "editor/drummixerpanel.h"
#include "editor/settingsstore.h"
#include "editor/windowtexts.h"
#include "midi/dialogs.h"
#include "midi/longmessage.h"
#include "midi/midisender.h"
#include "midi/miditexts.h"
#include "midi/tmidiinput.h"
#include "midi/tmidioutput.h"
#include "patch/fileio.h"
#include "patch/rolandmessage.h"
#include "player/tmidiapputil.h"
#include "transfer/dumpreceiver.h"
#include "transfer/sendcheck.h"

#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace dorvane {

void TransferCommands::buildTransferMenu(QMenu* utility)
{
    m_frame.addAction(utility, "SendPart", texts::SendPart,
                      QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_F11), texts::SendPartHint,
                      [this] { sendCurrentPart(); });
    m_frame.addAction(utility, "Send8Part", texts::Send8Part,
                      QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_F12), texts::Send8PartHint,
                      [this] { send8Part(); });
    m_frame.addAction(utility, "SendFile", texts::SendFile, {}, texts::SendFileHint,
                      [this] { sendFile(); });
    m_frame.addAction(utility, "SendGeneral", texts::SendGeneral, {}, texts::SendGeneralHint,
                      [this] { sendGeneralFile(); });
    m_parts.verify->buildVerifyMenu(utility);
    utility->addSeparator();
    // Linux desktops take Ctrl+Alt+F11 and F12 to switch to a text console
    // before the program sees them: the menu shows a key that arrives, and the
    // old keys still work where the desktop lets them through.
    m_frame
        .addAction(utility, "GetPart", texts::GetPart, QKeySequence(Qt::SHIFT | Qt::Key_F11), "",
                   [this] { getCurrentPart(); })
        ->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_F11),
                        QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F11),
                        QKeySequence(Qt::ALT | Qt::Key_F11)});
    m_frame
        .addAction(utility, "Get8Part", texts::Get8Part, QKeySequence(Qt::SHIFT | Qt::Key_F12), "",
                   [this] { get8Part(); })
        ->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_F12),
                        QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F12),
                        QKeySequence(Qt::ALT | Qt::Key_F12)});
    m_frame.addAction(utility, "GetFile", texts::GetFile, {}, texts::GetFileHint,
                      [this] { getFile(); });
    m_frame.addAction(utility, "RequestAll", texts::RequestAll, {}, "",
                      [this] { m_util->SendLong(requestAllMessage()); });
    m_frame.addAction(utility, "RequestPart", texts::RequestPart, {}, "",
                      [this] { m_util->SendLong(requestMessageForPart(m_session.partNumber())); });
}

void TransferCommands::buildReceptionPanel()
{
    // What a Get shows in the sheets' place: what is coming in, how much of
    // it, and the button that ends it. Quiet, so it does not read as a fault.
    // Made at the first transfer: most runs never show it, and its title's
    // font alone was a font of its own to load before the first window.
    m_receptionPanel = new QWidget;
    m_receptionPanel->setObjectName("receptionpanel");
    auto* column = new QVBoxLayout(m_receptionPanel);
    column->addStretch(1);
    m_receptionTitle = new QLabel;
    m_receptionTitle->setObjectName("receptiontitle");
    m_receptionTitle->setAlignment(Qt::AlignCenter);
    QFont title = m_receptionTitle->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.3);
    m_receptionTitle->setFont(title);
    column->addWidget(m_receptionTitle);
    m_receptionCount = new QLabel;
    m_receptionCount->setObjectName("receptioncount");
    m_receptionCount->setAlignment(Qt::AlignCenter);
    m_receptionCount->setWordWrap(true);
    column->addWidget(m_receptionCount);

    m_progress = new QProgressBar;
    m_progress->setObjectName("receiveprogress");
    m_progress->setFormat(texts::ByteProgress);
    m_progress->setAlignment(Qt::AlignCenter);
    // Wide enough for its text in any font the window is given.
    m_progress->setMinimumWidth(m_sendProgress->minimumWidth());
    column->addWidget(m_progress, 0, Qt::AlignHCenter);

    m_sysexButton = new QPushButton;
    m_sysexButton->setObjectName("sysexBtn");
    column->addSpacing(m_receptionCount->fontMetrics().height());
    column->addWidget(m_sysexButton, 0, Qt::AlignHCenter);
    column->addStretch(2);
    m_receptionPanel->hide();
    m_frame.sheetArea()->addWidget(m_receptionPanel);

    m_sysexButton->setText(texts::SysexButton);
    connect(m_sysexButton, &QPushButton::clicked, this, [this] {
        m_frame.runCommand([this] {
            // While a Send and Verify's data is still going out there is no
            // reception yet to end.
            if (!m_receiver->IsReceiving() && m_parts.verify->verifying())
                m_parts.verify->stopBeforeReadBack();
            else
                m_receiver->finish();
        });
    });
}

bool TransferCommands::receiving() const
{
    return m_frame.sheetArea()->currentWidget() == m_receptionPanel;
}

void TransferCommands::setUpTransfers()
{
    // Said once for every report of the port; a Get that the loss ends says
    // more right after, in its own result.
    connect(m_input, &TMidiInput::overflowed, this, [this](quint32 deliveries, quint32 bytes) {
        m_frame.setStatusText(QString::fromStdString(miditexts::inputOverflow(deliveries, bytes)));
    });
    m_receiver = new DumpReceiver(m_input, this);
    m_receiver->SetTempFile(DumpReceiver::defaultTempFile());
    connect(m_receiver, &DumpReceiver::progress, this, &TransferCommands::receptionProgress);
    connect(m_receiver, &DumpReceiver::finished, this, [this](const DumpResult& result) {
        m_frame.runCommand([&] { receptionEnded(result); });
    });

    m_sendProgress = new QProgressBar;
    m_sendProgress->setObjectName("sendprogress");
    m_sendProgress->setFormat(texts::ByteProgress);
    m_sendProgress->setAlignment(Qt::AlignCenter);
    // Wide enough for its text in any font the window is given.
    m_sendProgress->setMinimumWidth(
        m_sendProgress->fontMetrics().horizontalAdvance(
            QString(texts::ByteProgress).replace("%v", "00000").replace("%m", "00000")) *
        2);
    m_sendProgress->hide();
    m_parts.window->statusBar()->addPermanentWidget(m_sendProgress);
    MidiSender& sender = m_util->Sender();
    connect(&sender, &MidiSender::bytesFinished, this, [this] { sendProgressed(); });
    connect(&sender, &MidiSender::sendFailed, this, [this](const QString& text) {
        if (m_sendJob && m_sendJob->error.isEmpty())
            m_sendJob->error = text;
    });

    const int pause = m_settings->integer(Setting::MessagePause);
    m_parts.sheets->messagePauseBox()->setValue(pause);
    m_util->Sender().SetMessagePause(pause);
    connect(m_parts.sheets->messagePauseBox(), &QSpinBox::valueChanged, this, [this](int ms) {
        m_util->Sender().SetMessagePause(ms);
        m_settings->setInteger(Setting::MessagePause, ms);
    });
}

void TransferCommands::sendCurrentPart()
{
    // Part R counts as the eighth part here.
    if (!m_dialogs->ask(QString(texts::SendPartQuestion).arg(m_session.partIndex() + 1),
                        AskKind::Warning))
        return;
    sendCurrentPartUnasked();
}

void TransferCommands::sendCurrentPartUnasked()
{
    // The panic messages go out at once; the part follows through the sender.
    m_util->AllSoundOff();
    m_util->ResetAllControllers();
    sendWithProgress(m_session.image().PartBytes(m_session.partNumber()), {m_session.partIndex()});
}

void TransferCommands::send8Part()
{
    if (!m_dialogs->ask(texts::Send8PartQuestion, AskKind::Warning))
        return;
    sendWithProgress(m_session.image().AllBytes(), {0, 1, 2, 3, 4, 5, 6, 7});
    m_util->AllSoundOff();
    m_util->ResetAllControllers();
}

void TransferCommands::sendFile()
{
    const auto file = m_parts.files->askOpen(texts::SendFileTitle);
    if (!file)
        return;
    // Read and checked before anything is sent: a file that is not sysex would
    // put stray bytes on the wire.
    const Bytes bytes = readWholeFile(file->toStdString());
    if (const auto problem = sysexFileProblem(bytes)) {
        m_dialogs->ask(QString::fromStdString(*problem), AskKind::Information);
        return;
    }
    m_util->AllSoundOff();
    m_util->ResetAllControllers();
    sendWithProgress(bytes);
    outsideFileSent(bytes);
}

void TransferCommands::sendGeneralFile()
{
    const auto file = m_parts.files->askOpen(texts::SendGeneralTitle);
    if (!file)
        return;
    // The checksum refresh writes at the image's fixed positions; on anything
    // but an image it would corrupt the data, so nothing is sent then.
    const RefreshedImage image = refreshedImage(readWholeFile(file->toStdString()));
    if (!image.bytes) {
        m_dialogs->ask(QString::fromStdString(image.problem), AskKind::Information);
        return;
    }
    sendWithProgress(*image.bytes);
    outsideFileSent(*image.bytes);
}

void TransferCommands::outsideFileSent(const Bytes& bytes)
{
    // The instrument now holds the file's parts, which the window never had:
    // a send of the window's own part still on its way is overtaken by them.
    const std::vector<int> parts = partsAddressed(bytes);
    if (m_sendJob)
        std::erase_if(m_sendJob->parts, [&](int index) {
            return std::find(parts.begin(), parts.end(), partOfSyncIndex(index)) != parts.end();
        });
    m_session.fileSent(bytes, texts::SysexFileSentNotKnown);
}

void TransferCommands::sendWithProgress(const Bytes& bytes, const std::vector<int>& parts)
{
    MidiSender& sender = m_util->Sender();
    if (!m_sendJob)
        m_sendJob = SendJob{sender.BytesGiven(), 0, 0, {}, {}};
    m_sendJob->parts.insert(m_sendJob->parts.end(), parts.begin(), parts.end());
    // Message by message, so the count moves as each one leaves; on the
    // wire it is the same stream.
    forEachMessage(bytes, [&](ByteView piece) {
        m_util->SendLong(Bytes(piece.begin(), piece.end()));
        if (piece.front() == MessageStart)
            ++m_sendJob->messages;
    });
    m_sendJob->end = sender.BytesGiven();
    const auto total = qint64(m_sendJob->end - m_sendJob->start);
    m_frame.setStatusText(QString(texts::Sending).arg(total).arg(m_sendJob->messages));
    m_sendProgress->setRange(0, int(total));
    m_sendProgress->setValue(0);
    m_sendProgress->show();
    sendProgressed();
}

void TransferCommands::sendProgressed()
{
    if (!m_sendJob)
        return;
    const SendJob job = *m_sendJob;
    const std::uint64_t finished = m_util->Sender().BytesFinished();
    const auto done = qint64(std::clamp(finished, job.start, job.end) - job.start);
    m_sendProgress->setValue(int(done));
    if (finished < job.end)
        return;
    m_sendJob.reset();
    m_sendProgress->hide();
    const auto total = qint64(job.end - job.start);
    for (const int part : job.parts) {
        if (job.error.isEmpty())
            m_session.partSent(part);
        else
            m_session.partChangedHere(part, QString(texts::SendFailedReason).arg(job.error));
    }
    if (job.error.isEmpty())
        m_frame.setStatusText(QString(texts::Sent).arg(total).arg(job.messages));
    else
        m_frame.setStatusText(QString(texts::SendFailed).arg(total).arg(job.error));
}

void TransferCommands::showTransferPanel(const QString& title, const QString& note)
{
    if (!m_receptionPanel)
        buildReceptionPanel();
    m_frame.modeStarting();
    // The last transfer's result would read as this one's.
    m_frame.setStatusText(QString());
    m_receptionTitle->setText(title);
    m_receptionCount->setText(note);
    m_progress->hide();
    m_frame.showInSheetArea(m_receptionPanel);
    m_sysexButton->setFocus();
}

bool TransferCommands::refusedWhileVerifying()
{
    // A Get now would take the receiver from the verify's reading back.
    if (!m_parts.verify->verifying())
        return false;
    m_frame.setStatusText(texts::TransferUnderWay);
    return true;
}

void TransferCommands::getCurrentPart()
{
    // Changes not saved are weighed once the dump is in, against what it holds.
    if (refusedWhileVerifying() || !m_dialogs->ask(texts::GetPartQuestion, AskKind::Warning))
        return;
    showTransferPanel(QString(texts::ReceivingPart).arg(m_session.partLabel()),
                      texts::ReceptionWaiting);
    m_receiver->startPart(m_session.partNumber());
    m_util->SendLong(requestMessageForPart(m_session.partNumber()));
}

void TransferCommands::get8Part()
{
    if (refusedWhileVerifying() || !m_dialogs->ask(texts::Get8PartQuestion, AskKind::Warning))
        return;
    showTransferPanel(texts::ReceivingAll, texts::ReceptionWaiting);
    m_receiver->startAll();
    m_util->SendLong(requestAllMessage());
}

void TransferCommands::getFile()
{
    if (refusedWhileVerifying())
        return;
    const auto file = m_parts.files->askSave(texts::GetFileTitle, QString());
    if (!file)
        return;
    showTransferPanel(QString(texts::RecordingInto).arg(QFileInfo(*file).fileName()),
                      texts::ReceptionWaiting);
    m_receiver->startFile(*file);
    m_frame.setStatusText(texts::StartDumping);
}

void TransferCommands::receptionProgress(qint64 received, qint64 expected)
{
    // The byte count stands in the caption while a dump comes in.
    m_parts.window->setWindowTitle(texts::CaptionPrefix + QString::number(received));
    if (!m_receptionPanel)
        return; // every reception shows the panel first; none here yet
    m_progress->setVisible(expected > 0);
    if (expected > 0) {
        m_progress->setMaximum(int(expected));
        m_progress->setValue(int(std::min(received, expected)));
        m_receptionCount->setText(received ? QString(texts::ReceptionLoadsItself)
                                           : QString(texts::ReceptionWaiting));
    } else {
        m_receptionCount->setText(QString(texts::ReceptionCount).arg(received));
    }
}

void TransferCommands::receptionEnded(const DumpResult& result)
{
    m_frame.showSheets();
    if (m_parts.verify->readingBack()) {
        m_parts.sheets->refreshCaption();
        m_parts.verify->readBackEnded(result);
        return;
    }
    bool loaded = false;
    const VerifyCommands::DumpChoice choice = m_parts.verify->beforeLoading(result);
    if (result.loadable() && choice == VerifyCommands::DumpChoice::Load) {
        const QString part =
            result.part == RhythmPart ? QString("R") : QString::number(result.part + 1);
        // The instrument holds it already: nothing goes back.
        m_session.apply(
            result.mode == ReceiveMode::AllParts ? QString(texts::Get8Part)
                                                 : "Get Patch, part " + part,
            [&](t505temppatch& image) { loaded = result.loadInto(image); },
            EditSession::Sending::Nothing);
    }
    if (loaded) {
        if (result.mode == ReceiveMode::AllParts)
            m_session.imageReceived();
        else
            m_session.partsReceived(partSyncIndex(result.part));
    }
    if (result.mode != ReceiveMode::File)
        m_parts.sheets->refresh();
    else
        m_parts.sheets->refreshCaption();
    const auto count = qulonglong(result.received.size());
    m_frame.setStatusText(
        choice == VerifyCommands::DumpChoice::Shown       ? QString(texts::GetShown).arg(count)
        : choice == VerifyCommands::DumpChoice::NotLoaded ? QString(texts::GetNotLoaded).arg(count)
                                                          : result.status);
    if (!result.tempFileError.isEmpty())
        m_frame.setStatusText(m_frame.statusText() + "  (" + result.tempFileError + ")");
}

TransferCommands::TransferCommands(const WindowParts& parts) : WindowPart(parts) {}

} // namespace dorvane
