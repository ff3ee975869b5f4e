// SPDX-License-Identifier: GPL-3.0-or-later
// Files reaching the window from the desktop: named on the command line,
// dropped on the window, or chosen from File > Open Recent. Each goes through
// the loader its kind calls for, the same one the File menu's commands use.
// Also the window's remembered size and place, and the help window.
#include "editor/desktopfiles.h"
#include "editor/filecommands.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"

#include "editor/helpwindow.h"
#include "editor/settingsstore.h"
#include "editor/windowtexts.h"
#include "midi/dialogs.h"
#include "patch/fileio.h"
#include "patch/imagecheck.h"
#include "session/editsession.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QUrl>

namespace dorvane {

namespace {

// The part selector's index of part R.

// What the window asks of the screen the first time: every sheet without
// scrolling. A title bar and frame come on top; the window manager adds them
// only once the window is shown, so room is kept for a usual one.
constexpr QSize PreferredSize(1366, 740);
constexpr QSize FrameAllowance(8, 34);

// A dropped file, when the drag carries exactly one local file.
QString droppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return {};
    return urls.front().toLocalFile();
}

// "song.syx  (~/patches)": the name first, since that is what one looks for.
QString recentLabel(int index, const QString& path)
{
    const QFileInfo info(path);
    QString folder = QDir::toNativeSeparators(info.absolutePath());
    const QString home = QDir::toNativeSeparators(QDir::homePath());
    if (folder == home || folder.startsWith(home + QDir::separator()))
        folder.replace(0, home.size(), "~");
    QString name = info.fileName();
    name.replace('&', "&&");
    folder.replace('&', "&&");
    // Ten entries: 1..9 and 0 as their accelerators.
    return QString("&%1  %2   (%3)").arg((index + 1) % 10).arg(name, folder);
}

} // namespace

bool DesktopFiles::openFile(const QString& path)
{
    bool loaded = false;
    m_frame.runCommand([&] {
        const Bytes bytes = readWholeFile(path.toStdString());
        const QString name = QFileInfo(path).fileName();
        switch (classifySysexFile(bytes)) {
        case SysexFileKind::Image:
        case SysexFileKind::ImageWithLeadingBlock:
            loaded = m_parts.files->loadImageFile(path);
            break;
        case SysexFileKind::PartFile:
            if (m_session.isRhythmPart()) {
                m_dialogs->ask(QString(texts::PartFileOnRhythm).arg(name), AskKind::Information);
                break;
            }
            loaded = m_parts.files->loadPartFileOnCurrentPart(path);
            break;
        case SysexFileKind::RhythmPartFile:
            m_parts.sheets->selectPart(EditSession::RhythmIndex);
            loaded = m_parts.files->loadPartFileOnCurrentPart(path);
            break;
        case SysexFileKind::Other:
            m_dialogs->ask(QString(texts::NotAPatchFile).arg(name).arg(bytes.size()),
                           AskKind::Information);
            break;
        }
    });
    return loaded;
}

QStringList DesktopFiles::recentFiles() const
{
    return m_settings->recentFiles();
}

void DesktopFiles::buildRecentMenu(QMenu* file)
{
    m_recentMenu = file->addMenu(texts::OpenRecent);
    m_recentMenu->setObjectName("RecentMenu");
    // A fixed set of entries, relabelled as the list changes: an entry is
    // never deleted while its own click is being handled.
    for (int i = 0; i < SettingsStore::MaxRecentFiles; ++i) {
        QAction* a = m_recentMenu->addAction(QString());
        a->setObjectName(QString("Recent%1").arg(i + 1));
        connect(a, &QAction::triggered, this,
                [this, a] { m_frame.runCommand([this, a] { openRecent(a->data().toString()); }); });
    }
    m_recentMenu->addSeparator();
    m_frame.addAction(m_recentMenu, "ClearRecent", texts::ClearRecent, {}, "", [this] {
        m_settings->setRecentFiles({});
        m_settings->sync();
        refreshRecentMenu();
    });
    refreshRecentMenu();
}

void DesktopFiles::refreshRecentMenu()
{
    const QStringList files = recentFiles();
    const QList<QAction*> actions = m_recentMenu->actions();
    for (int i = 0; i < SettingsStore::MaxRecentFiles; ++i) {
        QAction* a = actions[i];
        const bool used = i < files.size();
        a->setVisible(used);
        a->setData(used ? files[i] : QString());
        a->setText(used ? recentLabel(i, files[i]) : QString());
        a->setStatusTip(used ? QDir::toNativeSeparators(files[i]) : QString());
    }
    m_recentMenu->menuAction()->setEnabled(!files.isEmpty());
}

void DesktopFiles::rememberFile(const QString& path)
{
    const QString file = QFileInfo(path).absoluteFilePath();
    QStringList files = recentFiles();
    files.removeAll(file);
    files.prepend(file);
    m_settings->setRecentFiles(files.mid(0, SettingsStore::MaxRecentFiles));
    // Written at once: the list should outlive a crash or a killed session.
    m_settings->sync();
    refreshRecentMenu();
}

void DesktopFiles::openRecent(const QString& path)
{
    if (path.isEmpty())
        return;
    if (!QFileInfo(path).isFile()) {
        QStringList files = recentFiles();
        files.removeAll(path);
        m_settings->setRecentFiles(files);
        m_settings->sync();
        refreshRecentMenu();
        m_dialogs->ask(QString(texts::RecentGone).arg(QDir::toNativeSeparators(path)),
                       AskKind::Information);
        return;
    }
    openFile(path);
}

void DesktopFiles::dragEnter(QDragEnterEvent* event)
{
    if (!droppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    if (event->mimeData() && event->mimeData()->hasUrls())
        m_frame.setStatusText(texts::DropOneFile);
    event->ignore();
}

void DesktopFiles::drop(QDropEvent* event)
{
    const QString file = droppedFile(event->mimeData());
    if (file.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Opened once the drop is over: a message box inside the drop would keep
    // the file manager waiting for its drag to end.
    QMetaObject::invokeMethod(
        this, [this, file] { openFile(file); }, Qt::QueuedConnection);
}

void DesktopFiles::placeWindow()
{
    const QByteArray saved = QByteArray::fromBase64(m_settings->text(Setting::Geometry).toLatin1());
    // Qt brings a window saved on a screen that is gone back onto one that is there.
    if (!saved.isEmpty() && m_parts.window->restoreGeometry(saved))
        return;
    const QScreen* s = m_parts.window->screen();
    if (!s) {
        m_parts.window->resize(PreferredSize);
        return;
    }
    const QRect room = s->availableGeometry();
    const QSize size = PreferredSize.boundedTo(room.size() - FrameAllowance);
    m_parts.window->resize(size);
    m_parts.window->move(room.x() + (room.width() - size.width() - FrameAllowance.width()) / 2,
                         room.y() + (room.height() - size.height() - FrameAllowance.height()) / 2);
}

void DesktopFiles::rememberPlace()
{
    m_settings->setText(Setting::Geometry,
                        QString::fromLatin1(m_parts.window->saveGeometry().toBase64()));
}

void DesktopFiles::showHelp()
{
    if (!m_help)
        m_help = new HelpWindow(m_programFolder + "/help/manual.md", m_parts.window);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

DesktopFiles::DesktopFiles(const WindowParts& parts) : WindowPart(parts) {}

} // namespace dorvane
