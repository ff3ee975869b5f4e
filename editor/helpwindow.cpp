// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/helpwindow.h"

#include "editor/windowtexts.h"

#include <QAbstractTextDocumentLayout>
#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextTable>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace dorvane {

namespace {

// Room kept beside a picture shrunk to the page: the document's margins and a scroll bar.
constexpr int ImageMargin = 40;

} // namespace

HelpWindow::HelpWindow(const QString& manualFile, QWidget* parent)
    : QWidget(parent, Qt::Window), m_browser(new QTextBrowser), m_contents(new QListWidget),
      m_find(new QLineEdit)
{
    setObjectName("HelpWindow");
    setWindowTitle(texts::HelpTitle);
    m_browser->setObjectName("HelpBrowser");
    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpWindow::linkClicked);
    m_contents->setObjectName("HelpContents");
    connect(m_contents, &QListWidget::currentRowChanged, this, &HelpWindow::showHeading);

    m_find->setObjectName("HelpFind");
    m_find->setPlaceholderText("Find in the manual (Enter: next, Shift+Enter: previous)");
    m_find->setClearButtonEnabled(true);
    connect(m_find, &QLineEdit::returnPressed, this, [this] { find(false); });
    auto* findKey = new QShortcut(QKeySequence::Find, this);
    connect(findKey, &QShortcut::activated, this, [this] {
        m_find->setFocus();
        m_find->selectAll();
    });
    auto* back = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Return), m_find);
    back->setContext(Qt::WidgetShortcut);
    connect(back, &QShortcut::activated, this, [this] { find(true); });
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);

    auto* splitter = new QSplitter;
    splitter->addWidget(m_contents);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 780});
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->addWidget(m_find);
    column->addWidget(splitter, 1);
    resize(1000, 700);
    load(manualFile);
}

void HelpWindow::load(const QString& manualFile)
{
    if (!QFileInfo(manualFile).isFile()) {
        m_browser->setPlainText(QString(texts::HelpMissing).arg(manualFile));
        return;
    }
    m_browser->setSource(QUrl::fromLocalFile(manualFile), QTextDocument::MarkdownResource);
    findImagesAndTables();
    fitImages();
    m_browser->viewport()->installEventFilter(this);
    for (QTextBlock b = m_browser->document()->begin(); b.isValid(); b = b.next()) {
        const int level = b.blockFormat().headingLevel();
        if (level < 1 || level > 3)
            continue;
        m_headings.push_back({b.text().trimmed(), level, b.position()});
        auto* item = new QListWidgetItem(QString(2 * (level - 1), ' ') + b.text().trimmed());
        if (level == 1) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
        }
        m_contents->addItem(item);
    }
}

void HelpWindow::findImagesAndTables()
{
    QTextDocument* doc = m_browser->document();
    const QUrl base = m_browser->source();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!f.charFormat().isImageFormat())
                continue;
            const QString name = f.charFormat().toImageFormat().name();
            const QSize natural = QImageReader(base.resolved(QUrl(name)).toLocalFile()).size();
            if (natural.isValid())
                m_images.push_back({f.position(), natural});
        }
    }
    // Markdown tables come without padding or rules; the keyboard map wants both.
    for (QTextFrame* frame : doc->rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (!table)
            continue;
        QTextTableFormat format = table->format();
        format.setCellPadding(4);
        format.setCellSpacing(0);
        format.setBorderCollapse(true);
        format.setBorderBrush(QColor(0xb0, 0xb0, 0xb0));
        table->setFormat(format);
    }
}

void HelpWindow::fitImages()
{
    // Pictures are the window's full size; shrunk to the page they stay
    // readable without scrolling sideways.
    const int room = std::max(200, m_browser->viewport()->width() - ImageMargin);
    QTextDocument* doc = m_browser->document();
    for (const Image& i : m_images) {
        QTextCursor c(doc);
        c.setPosition(i.position);
        c.setPosition(i.position + 1, QTextCursor::KeepAnchor);
        QTextImageFormat image = c.charFormat().toImageFormat();
        const int width = std::min(room, i.natural.width());
        if (int(image.width()) == width)
            continue;
        image.setWidth(width);
        image.setHeight(double(i.natural.height()) * width / i.natural.width());
        c.setCharFormat(image);
    }
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_browser->viewport() && event->type() == QEvent::Resize)
        fitImages();
    return QWidget::eventFilter(watched, event);
}

QStringList HelpWindow::headings() const
{
    QStringList list;
    for (const Heading& h : m_headings)
        list << h.text;
    return list;
}

QString HelpWindow::anchorOf(const QString& heading)
{
    QString anchor;
    for (QChar c : heading.toLower()) {
        if (c.isLetterOrNumber() || c == '-' || c == '_')
            anchor += c;
        else if (c == ' ')
            anchor += '-';
    }
    return anchor;
}

bool HelpWindow::showAnchor(const QString& anchor)
{
    for (std::size_t i = 0; i < m_headings.size(); ++i) {
        if (anchorOf(m_headings[i].text) == anchor) {
            m_contents->setCurrentRow(int(i)); // scrolls through showHeading
            showHeading(int(i));
            return true;
        }
    }
    return false;
}

void HelpWindow::showHeading(int index)
{
    if (index < 0 || std::size_t(index) >= m_headings.size())
        return;
    QTextDocument* doc = m_browser->document();
    const QTextBlock block = doc->findBlock(m_headings[std::size_t(index)].position);
    QTextCursor c(block);
    m_browser->setTextCursor(c);
    const QRectF where = doc->documentLayout()->blockBoundingRect(block);
    m_browser->verticalScrollBar()->setValue(int(where.top()));
}

void HelpWindow::linkClicked(const QUrl& url)
{
    if (url.scheme() == "http" || url.scheme() == "https" || url.scheme() == "mailto") {
        QDesktopServices::openUrl(url);
        return;
    }
    if (url.hasFragment())
        showAnchor(url.fragment());
}

void HelpWindow::find(bool backwards)
{
    const QString text = m_find->text();
    if (text.isEmpty())
        return;
    const QTextDocument::FindFlags flags =
        backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (m_browser->find(text, flags))
        return;
    // Round again from the other end, as a musician scanning for a word expects.
    QTextCursor c(m_browser->document());
    if (backwards)
        c.movePosition(QTextCursor::End);
    m_browser->setTextCursor(c);
    m_browser->find(text, flags);
}

} // namespace dorvane
