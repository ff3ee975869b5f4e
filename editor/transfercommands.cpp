// SPDX-License-Identifier: GPL-3.0-or-later
// Sending patches and sysex files to the instrument, asking it for dumps and
// receiving them: the Utility menu's transfer commands and the sysexBtn.
#include "editor/mainwindow.h"

#include "editor/drummixerpanel.h"
#include "editor/settingsstore.h"
#include "editor/windowtexts.h"
#include "midi/midisender.h"
#include "midi/tmidioutput.h"
#include "patch/fileio.h"
#include "patch/rolandmessage.h"
#include "player/dialogs.h"
#include "player/tmidiapputil.h"
#include "transfer/dumpreceiver.h"
#include "transfer/sendcheck.h"

#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>

namespace dorvane {

void MainWindow::buildTransferMenu(QMenu* utility)
{
    addAction(utility, "SendPart", texts::SendPart,
              QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_F11), texts::SendPartHint,
              [this] { sendCurrentPart(); });
    addAction(utility, "Send8Part", texts::Send8Part,
              QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_F12), texts::Send8PartHint,
              [this] { send8Part(); });
    addAction(utility, "SendFile", texts::SendFile, {}, texts::SendFileHint,
              [this] { sendFile(); });
    addAction(utility, "SendGeneral", texts::SendGeneral, {}, "", [this] { sendGeneralFile(); });
    utility->addSeparator();
    addAction(utility, "GetPart", texts::GetPart, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F11),
              "", [this] { getCurrentPart(); });
    addAction(utility, "Get8Part", texts::Get8Part, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F12),
              "", [this] { get8Part(); });
    addAction(utility, "GetFile", texts::GetFile, {}, texts::GetFileHint, [this] { getFile(); });
    addAction(utility, "RequestAll", texts::RequestAll, {}, "",
              [this] { m_util->SendLong(requestAllMessage()); });
    addAction(utility, "RequestPart", texts::RequestPart, {}, "",
              [this] { m_util->SendLong(requestMessageForPart(partNumber())); });
}

void MainWindow::setUpTransfers()
{
    m_receiver = new DumpReceiver(m_input, this);
    m_receiver->SetTempFile(DumpReceiver::defaultTempFile());
    connect(m_receiver, &DumpReceiver::progress, this, &MainWindow::receptionProgress);
    connect(m_receiver, &DumpReceiver::finished, this,
            [this](const DumpResult& result) { runCommand([&] { receptionEnded(result); }); });

    m_sysexButton->setText(texts::SysexButton);
    connect(m_sysexButton, &QPushButton::clicked, this,
            [this] { runCommand([this] { m_receiver->finish(); }); });

    m_progress = new QProgressBar;
    m_progress->setObjectName("receiveprogress");
    m_progress->setMaximumWidth(220);
    m_progress->setFormat("%v of %m bytes");
    m_progress->hide();
    statusBar()->addPermanentWidget(m_progress);

    const int pause = m_settings->integer(Setting::MessagePause);
    m_messagePause->setValue(pause);
    m_util->Sender().SetMessagePause(pause);
    connect(m_messagePause, &QSpinBox::valueChanged, this, [this](int ms) {
        m_util->Sender().SetMessagePause(ms);
        m_settings->setInteger(Setting::MessagePause, ms);
    });
}

void MainWindow::sendCurrentPart()
{
    // Part R counts as the eighth part here.
    if (!m_dialogs->ask(QString(texts::SendPartQuestion).arg(partIndex() + 1), AskKind::Warning))
        return;
    // The panic messages go out at once; the part follows through the sender.
    m_util->AllSoundOff();
    m_util->ResetAllControllers();
    m_util->SendLong(m_image.PartBytes(partNumber()));
}

void MainWindow::send8Part()
{
    if (!m_dialogs->ask(texts::Send8PartQuestion, AskKind::Warning))
        return;
    m_util->SendLong(m_image.AllBytes());
    m_util->AllSoundOff();
    m_util->ResetAllControllers();
}

void MainWindow::sendFile()
{
    const auto file = askOpen(texts::SendFileTitle);
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
    m_util->SendFile(*file);
}

void MainWindow::sendGeneralFile()
{
    const auto file = askOpen(texts::SendGeneralTitle);
    if (!file)
        return;
    // The checksum refresh writes at the image's fixed positions; on anything
    // but an image it would corrupt the data, so nothing is sent then.
    const RefreshedImage image = refreshedImage(readWholeFile(file->toStdString()));
    if (!image.bytes) {
        m_dialogs->ask(QString::fromStdString(image.problem), AskKind::Information);
        return;
    }
    m_util->SendLong(*image.bytes);
}

void MainWindow::beginReception()
{
    // The dump replaces what the drum mixer lists.
    m_drumMixer->hide();
    // The knobs would edit an image that the dump is about to replace.
    emit quickEditHideRequested();
    m_pages->hide();
    m_sysexButton->show();
    m_sysexButton->setFocus();
}

void MainWindow::getCurrentPart()
{
    if (!m_dialogs->ask(texts::withLineBreaks(texts::GetPartQuestion), AskKind::Warning))
        return;
    beginReception();
    m_receiver->startPart(partNumber());
    m_util->SendLong(requestMessageForPart(partNumber()));
}

void MainWindow::get8Part()
{
    if (!m_dialogs->ask(texts::withLineBreaks(texts::Get8PartQuestion), AskKind::Warning))
        return;
    beginReception();
    m_receiver->startAll();
    m_util->SendLong(requestAllMessage());
}

void MainWindow::getFile()
{
    const auto file = askSave(texts::GetFileTitle, QString());
    if (!file)
        return;
    beginReception();
    m_receiver->startFile(*file);
    setStatusText(texts::StartDumping);
}

void MainWindow::receptionProgress(qint64 received, qint64 expected)
{
    // The byte count stands in the caption while a dump comes in.
    setWindowTitle(texts::CaptionPrefix + QString::number(received));
    m_progress->setVisible(expected > 0);
    if (expected > 0) {
        m_progress->setMaximum(int(expected));
        m_progress->setValue(int(std::min(received, expected)));
    }
}

void MainWindow::receptionEnded(const DumpResult& result)
{
    m_progress->hide();
    m_sysexButton->hide();
    m_pages->show();
    if (result.loadable() && result.loadInto(m_image)) {
        const QString part =
            result.part == RhythmPart ? QString("R") : QString::number(result.part + 1);
        imageChanged(result.mode == ReceiveMode::AllParts ? QString(texts::Get8Part)
                                                          : "Get Patch, part " + part);
    }
    if (result.mode != ReceiveMode::File)
        refresh();
    else
        refreshCaption();
    setStatusText(result.status);
    if (!result.tempFileError.isEmpty())
        setStatusText(result.status + "  (" + result.tempFileError + ")");
}

} // namespace dorvane
