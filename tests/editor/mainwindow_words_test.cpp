// SPDX-License-Identifier: GPL-3.0-or-later
// The words and keys a musician meets: menu shortcuts that reach the program,
// each doing one thing, and a manual that names the commands as the menus
// read and links only to what is there.
#include "windowrig.h"

#include "editor/helpwindow.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace dorvane;

namespace {

// Every action a menu of the window carries, submenus included.
QList<QAction*> menuActions(const QMenuBar* bar)
{
    QList<QAction*> all;
    QList<QAction*> open = bar->actions();
    while (!open.isEmpty()) {
        QAction* a = open.takeFirst();
        if (a->isSeparator())
            continue;
        all << a;
        if (a->menu())
            open << a->menu()->actions();
    }
    return all;
}

// A desktop on Linux keeps Ctrl+Alt+F1 … F12 for switching to a text console.
bool takenByTheDesktop(const QKeySequence& key)
{
    if (key.isEmpty())
        return false;
    const QKeyCombination c = key[0];
    const Qt::KeyboardModifiers mods = c.keyboardModifiers();
    return mods.testFlag(Qt::ControlModifier) && mods.testFlag(Qt::AltModifier) &&
           c.key() >= Qt::Key_F1 && c.key() <= Qt::Key_F12;
}

} // namespace

TEST(MainWindowWords, MenuShortcutsReachTheProgramAndEachDoesOneThing)
{
    test::WindowRig rig;
    MainWindow& w = rig.openPlaying();
    const QList<QAction*> actions = menuActions(w.menuBar());
    ASSERT_GE(actions.size(), 50) << "the menus lost their entries";
    QMap<QKeySequence, QString> owner;
    int withKeys = 0;
    for (const QAction* a : actions) {
        const QList<QKeySequence> keys = a->shortcuts();
        if (keys.isEmpty())
            continue;
        ++withKeys;
        // The menu shows the first: it must be one the desktop lets through.
        EXPECT_FALSE(takenByTheDesktop(keys.front()))
            << a->text().toStdString() << " shows "
            << keys.front().toString(QKeySequence::PortableText).toStdString();
        for (const QKeySequence& key : keys) {
            const auto it = owner.constFind(key);
            EXPECT_TRUE(it == owner.constEnd())
                << key.toString(QKeySequence::PortableText).toStdString() << " is both "
                << it.value().toStdString() << " and " << a->text().toStdString();
            owner.insert(key, a->text());
        }
    }
    EXPECT_GE(withKeys, 30);
    // The seed's keys still work where a desktop lets them through.
    EXPECT_EQ(owner.value(QKeySequence("Ctrl+Alt+F12")), w.frame().action("Get8Part")->text());
    EXPECT_EQ(owner.value(QKeySequence("Ctrl+Alt+F11")), w.frame().action("GetPart")->text());
}

// The manual names commands as the menus read, never with the "&" that marks
// a menu's mnemonic; its contents and pictures lead somewhere.
TEST(MainWindowWords, TheManualSaysWhatTheMenusShowAndItsLinksLeadSomewhere)
{
    test::WindowRig rig;
    MainWindow& w = rig.openPlaying();
    QStringList marked; // menu texts as stored, with their mnemonic
    for (const QAction* a : menuActions(w.menuBar())) {
        const QString text = a->text();
        if (text.contains(QRegularExpression("&[^&]")))
            marked << text;
    }
    ASSERT_GE(marked.size(), 5);

    const QDir docs(QString::fromStdString(test::sourceDir() + "/docs"));
    const QStringList files = docs.entryList({"*.md"}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    // "&" opening a word is a mnemonic copied by hand; "S&H", "low&up" and
    // "MIDI & Setup" are the values' and sheets' own words.
    static const QRegularExpression copied(R"((^|[\s›"(*|])&[A-Za-z])");
    static const QRegularExpression picture(R"(!\[[^\]]*\]\(([^)]+)\))");
    static const QRegularExpression local(R"(\]\(#([^)]+)\))");
    static const QRegularExpression heading(R"(^#{1,6}\s+(.+?)\s*$)",
                                            QRegularExpression::MultilineOption);
    int links = 0;
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        QFile f(docs.filePath(file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString doc = QString::fromUtf8(f.readAll());
        for (const QString& text : marked)
            EXPECT_FALSE(doc.contains(text)) << text.toStdString();
        const auto m = copied.match(doc);
        EXPECT_FALSE(m.hasMatch()) << doc.mid(m.capturedStart() - 30, 60).toStdString();
        EXPECT_FALSE(doc.contains("by their size")) << "files are judged by what they hold";

        for (auto it = picture.globalMatch(doc); it.hasNext();) {
            const QString image = it.next().captured(1);
            EXPECT_TRUE(docs.exists(image)) << image.toStdString();
        }
        QSet<QString> anchors;
        for (auto it = heading.globalMatch(doc); it.hasNext();)
            anchors.insert(HelpWindow::anchorOf(it.next().captured(1)));
        for (auto it = local.globalMatch(doc); it.hasNext(); ++links) {
            const QString anchor = it.next().captured(1);
            EXPECT_TRUE(anchors.contains(anchor)) << "#" << anchor.toStdString();
        }
    }
    EXPECT_GE(links, 10) << "the manual's contents lost their links";
}
