// SPDX-License-Identifier: GPL-3.0-or-later
// Files reaching the real window from the desktop (a name given to the
// program, a drop, the recent list), the remembered size and place, and F1.
#include "windowrig.h"

#include "editor/helpwindow.h"
#include "patch/initialpatch.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QTextBrowser>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>

using namespace dorvane;
using dorvane::test::WindowRig;

namespace {

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

// An image whose every part is told apart by its name.
Bytes namedImage(const char* prefix)
{
    t505temppatch p;
    p.LoadFromBytes(initialImage());
    for (int i = 0; i < 7; ++i)
        p.SetPatchName(i, std::string(prefix) + char('1' + i));
    p.SetPatchName(RhythmPart, std::string(prefix) + "R");
    return p.AllBytes();
}

Bytes partOf(const Bytes& image, int part)
{
    const std::size_t at = partBlockOffset(part);
    return Bytes(image.begin() + long(at), image.begin() + long(at + partBlockSize(part)));
}

// A drag of these files over the window, dropped, as a file manager does it.
bool drop(MainWindow& w, const QStringList& files)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& f : files)
        urls << QUrl::fromLocalFile(f);
    data.setUrls(urls);
    const QPoint at(w.width() / 2, w.height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &dropped);
    QCoreApplication::processEvents(); // the file opens once the drop is over
    return dropped.isAccepted();
}

QStringList recentMenuTexts(MainWindow& w)
{
    QStringList texts;
    for (QAction* a : w.desktop().recentMenu()->actions())
        if (a->isVisible() && !a->isSeparator() && a->objectName().startsWith("Recent"))
            texts << a->text();
    return texts;
}

} // namespace

// The kind of the file decides where it goes, as it would from the File menu.
TEST(MainWindowDesktop, OpenFileGoesByKind)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    const Bytes a = namedImage("A");
    test::writeFile(rig.file("a.syx"), a);
    Bytes led(753, 0x41);
    const Bytes b = namedImage("B");
    led.insert(led.end(), b.begin(), b.end());
    test::writeFile(rig.file("b-led.syx"), led);
    test::writeFile(rig.file("part-b3.syx"), partOf(b, 2));
    test::writeFile(rig.file("kit-b.syx"), partOf(b, RhythmPart));

    EXPECT_TRUE(w.desktop().openFile(q(rig.file("a.syx"))));
    EXPECT_EQ(w.image().bytes(), a);
    EXPECT_TRUE(w.desktop().openFile(q(rig.file("b-led.syx"))));
    EXPECT_EQ(w.image().bytes(), b) << "the 753 leading bytes are skipped";

    w.image().LoadFromBytes(a);
    w.sheets().selectPart(5);
    EXPECT_TRUE(w.desktop().openFile(q(rig.file("part-b3.syx"))));
    EXPECT_EQ(w.image().GetPatchName(5), "B3") << "a part file goes onto the current part";
    EXPECT_EQ(w.image().GetPatchName(2), "A3");
    for (std::size_t at : {7u, 93u, 234u, 375u, 516u})
        EXPECT_EQ(w.image().bytes()[5 * 650 + at], 5) << "its addresses name part 6";

    EXPECT_TRUE(w.desktop().openFile(q(rig.file("kit-b.syx"))));
    EXPECT_TRUE(w.session().isRhythmPart()) << "a part R file selects part R";
    EXPECT_EQ(w.image().GetPatchName(RhythmPart), "BR");
    EXPECT_EQ(w.image().GetPatchName(5), "B3");
    // The image was changed behind the files' back above, so opening over it
    // asks about those changes; nothing else is asked.
    for (const auto& question : rig.dialogs.asked)
        EXPECT_TRUE(question.text.startsWith("There are changes not saved"))
            << question.text.toStdString();
    EXPECT_TRUE(rig.take().empty()) << "opening sends nothing";
}

// A file that is not one of ours, or cannot go where it would have to, is
// refused with the reason, and the image stays as it was.
TEST(MainWindowDesktop, OpenFileRefusesWhatItCannotPlace)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    const Bytes before = w.image().bytes();
    test::writeFile(rig.file("short.syx"), Bytes(before.begin(), before.end() - 1));
    test::writeFile(rig.file("noise.syx"), test::randomBytes(5000, 7));
    test::writeFile(rig.file("empty.syx"), {});
    test::writeFile(rig.file("part.syx"), partOf(namedImage("C"), 0));

    for (const char* name : {"short.syx", "noise.syx", "empty.syx"}) {
        rig.dialogs.asked.clear();
        EXPECT_FALSE(w.desktop().openFile(q(rig.file(name)))) << name;
        ASSERT_EQ(rig.dialogs.asked.size(), 1u) << name;
        EXPECT_TRUE(rig.dialogs.lastText().startsWith(QString(name) + " is not a patch file"))
            << rig.dialogs.lastText().toStdString();
        EXPECT_EQ(w.image().bytes(), before) << name;
    }

    w.sheets().selectPart(7);
    EXPECT_FALSE(w.desktop().openFile(q(rig.file("part.syx"))));
    EXPECT_TRUE(rig.dialogs.lastText().contains("part R is selected"));
    EXPECT_EQ(w.image().bytes(), before);

    EXPECT_FALSE(w.desktop().openFile(q(rig.file("gone.syx"))));
    EXPECT_TRUE(rig.dialogs.lastText().contains("gone.syx")) << "the system's reason, named";
    EXPECT_FALSE(w.desktop().openFile(q(rig.dir.path().string())));
    EXPECT_TRUE(rig.dialogs.lastText().contains("folder"));
    EXPECT_EQ(w.image().bytes(), before);
    EXPECT_TRUE(w.desktop().recentFiles().isEmpty()) << "nothing refused is remembered";
}

TEST(MainWindowDesktop, DroppedFilesOpenByKind)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    const Bytes d = namedImage("D");
    test::writeFile(rig.file("d.syx"), d);
    test::writeFile(rig.file("e2.syx"), partOf(namedImage("E"), 1));

    EXPECT_TRUE(drop(w, {q(rig.file("d.syx"))}));
    EXPECT_EQ(w.image().bytes(), d);
    w.sheets().selectPart(0);
    EXPECT_TRUE(drop(w, {q(rig.file("e2.syx"))}));
    EXPECT_EQ(w.image().GetPatchName(0), "E2");

    // Two files at once are not taken: which one should win is anybody's guess.
    const Bytes before = w.image().bytes();
    EXPECT_FALSE(drop(w, {q(rig.file("d.syx")), q(rig.file("e2.syx"))}));
    EXPECT_EQ(w.frame().statusText(), "Drop one .syx file at a time");
    EXPECT_EQ(w.image().bytes(), before);
}

// Newest first, each file once, ten at most, kept in the settings; saved files
// count too, and an entry whose file is gone goes away when chosen.
TEST(MainWindowDesktop, RecentFiles)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    const Bytes image = namedImage("F");
    for (int i = 0; i < 12; ++i) {
        test::writeFile(rig.file("f" + std::to_string(i) + ".syx"), image);
        ASSERT_TRUE(w.desktop().openFile(q(rig.file("f" + std::to_string(i) + ".syx"))));
    }
    QStringList expected;
    for (int i = 11; i >= 2; --i)
        expected << q(rig.file("f" + std::to_string(i) + ".syx"));
    EXPECT_EQ(w.desktop().recentFiles(), expected);

    ASSERT_TRUE(w.desktop().openFile(q(rig.file("f5.syx"))));
    expected.removeAll(q(rig.file("f5.syx")));
    expected.prepend(q(rig.file("f5.syx")));
    EXPECT_EQ(w.desktop().recentFiles(), expected) << "an opened file moves to the top, once";

    rig.dialogs.files.push_back(q(rig.file("saved.syx")));
    w.frame().action("Save8Part")->trigger();
    expected.prepend(q(rig.file("saved.syx")));
    expected.removeLast();
    EXPECT_EQ(w.desktop().recentFiles(), expected);

    const QStringList labels = recentMenuTexts(w);
    ASSERT_EQ(labels.size(), 10);
    EXPECT_TRUE(labels[0].startsWith("&1  saved.syx")) << labels[0].toStdString();
    EXPECT_TRUE(labels[9].startsWith("&0  ")) << labels[9].toStdString();

    // Kept between runs.
    rig.closeWindow();
    MainWindow& again = rig.open();
    EXPECT_EQ(again.desktop().recentFiles(), expected);
    EXPECT_EQ(recentMenuTexts(again), labels);

    // Choosing an entry opens it by its kind; a vanished file is dropped with a word.
    test::writeFile(rig.file("f5.syx"), partOf(namedImage("G"), 3));
    again.sheets().selectPart(2);
    again.desktop().recentMenu()->actions()[1]->trigger();
    EXPECT_EQ(again.image().GetPatchName(2), "G4");
    EXPECT_EQ(again.desktop().recentFiles().front(), q(rig.file("f5.syx")));

    std::filesystem::remove(rig.file("f11.syx"));
    const int gone = int(again.desktop().recentFiles().indexOf(q(rig.file("f11.syx"))));
    ASSERT_GE(gone, 0);
    const Bytes before = again.image().bytes();
    again.desktop().recentMenu()->actions()[gone]->trigger();
    EXPECT_TRUE(rig.dialogs.lastText().contains("no longer there"));
    EXPECT_FALSE(again.desktop().recentFiles().contains(q(rig.file("f11.syx"))));
    EXPECT_EQ(again.image().bytes(), before);

    again.frame().action("ClearRecent")->trigger();
    EXPECT_TRUE(again.desktop().recentFiles().isEmpty());
    EXPECT_FALSE(again.desktop().recentMenu()->menuAction()->isEnabled());
}

TEST(MainWindowDesktop, WindowKeepsItsSizeAndPlace)
{
    WindowRig rig;
    MainWindow& first = rig.open();
    // The first start fits the screen it opens on, frame and all.
    const QRect room = first.screen()->availableGeometry();
    EXPECT_LE(first.width() + 8, room.width());
    EXPECT_LE(first.height() + 34, room.height());
    EXPECT_TRUE(room.contains(first.geometry())) << "fully on the screen";

    first.resize(701, 503);
    first.move(room.topLeft() + QPoint(13, 17));
    const QSize size = first.size();
    const QPoint place = first.pos();
    rig.closeWindow();
    EXPECT_FALSE(rig.stored("geometry").isEmpty());

    MainWindow& second = rig.open();
    EXPECT_EQ(second.size(), size);
    // The offscreen platform rounds a frame pixel on the way back.
    EXPECT_LE((second.pos() - place).manhattanLength(), 2)
        << second.pos().x() << "," << second.pos().y();

    // A damaged value is ignored, not obeyed.
    rig.closeWindow();
    rig.store("geometry", "not a geometry at all");
    MainWindow& third = rig.open();
    EXPECT_TRUE(room.contains(third.geometry()));
    EXPECT_GT(third.width(), 701);
}

TEST(MainWindowDesktop, F1ShowsTheManual)
{
    WindowRig rig;
    std::filesystem::copy(test::binDir() + "/help", rig.file("help"),
                          std::filesystem::copy_options::recursive);
    MainWindow& w = rig.openPlaying();
    ASSERT_EQ(w.desktop().helpWindow(), nullptr);
    // The key is a window shortcut: the window has to be the active one.
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_F1);
    HelpWindow* help = w.desktop().helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->windowTitle(), "Dorvane Help");
    // The manual's own headings make the contents, and links to them work.
    const QStringList headings = help->headings();
    ASSERT_FALSE(headings.isEmpty());
    EXPECT_TRUE(headings.contains("Keyboard map")) << headings.join(" | ").toStdString();
    EXPECT_EQ(help->contents()->count(), headings.size());
    help->resize(600, 300);
    QCoreApplication::processEvents();
    ASSERT_GT(help->browser()->verticalScrollBar()->maximum(), 0);
    help->browser()->verticalScrollBar()->setValue(0);
    EXPECT_TRUE(help->showAnchor(HelpWindow::anchorOf("Keyboard map")));
    EXPECT_GT(help->browser()->verticalScrollBar()->value(), 0);
    EXPECT_FALSE(help->showAnchor("no-such-heading"));
    EXPECT_EQ(HelpWindow::anchorOf("Files beside the program (and how to replace them)"),
              "files-beside-the-program-and-how-to-replace-them");
    // Its pictures fit the page: nothing to scroll sideways for.
    help->resize(700, 500);
    QCoreApplication::processEvents();
    help->resize(500, 500);
    // A long manual is laid out a piece at a time, on the event loop.
    EXPECT_TRUE(test::waitUntil(
        [&] { return help->browser()->horizontalScrollBar()->maximum() == 0; }, 5000))
        << help->browser()->horizontalScrollBar()->maximum();
    // Pressed again, the same window comes forward.
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_F1);
    EXPECT_EQ(w.desktop().helpWindow(), help);
}

TEST(MainWindowDesktop, MissingManualIsSaidSo)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.frame().action("Help")->trigger();
    ASSERT_NE(w.desktop().helpWindow(), nullptr);
    const QString text = w.desktop().helpWindow()->browser()->toPlainText();
    EXPECT_TRUE(text.contains("The manual is not beside the program")) << text.toStdString();
    EXPECT_TRUE(text.contains(q(rig.file("help/manual.md"))));
}

// The manual's keyboard map is what a musician learns the program by: every
// menu shortcut it names must be one the window has, and every picture it or
// the README shows must be there.
TEST(MainWindowDesktop, TheManualsShortcutsAndPicturesAreReal)
{
    QFile manual(q(test::sourceDir() + "/docs/manual.md"));
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(manual.readAll());
    const qsizetype mapStart = text.indexOf("## Keyboard map");
    ASSERT_GE(mapStart, 0);
    const QString map = text.mid(mapStart, text.indexOf("\n## ", mapStart + 1) - mapStart);

    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    QSet<QKeySequence> shortcuts;
    // A command's old keys, kept beside the one its menu shows, count too.
    for (const QAction* a : w.findChildren<QAction*>())
        for (const QKeySequence& k : a->shortcuts())
            shortcuts.insert(k);
    // "Ctrl+1 … Ctrl+7" names both ends; the player's own keys (F3, Space...) have no modifier.
    static const QRegularExpression key(
        R"(\b((?:Ctrl\+|Shift\+|Alt\+)+)(F\d{1,2}|Backspace|[A-Z0-9])\b)");
    int checked = 0;
    for (auto m = key.globalMatch(map); m.hasNext(); ++checked) {
        const QString named = m.next().captured(0);
        EXPECT_TRUE(shortcuts.contains(QKeySequence(named))) << named.toStdString();
    }
    EXPECT_GE(checked, 20) << "the keyboard map lost its rows";

    // And the other way: a command given a key is in the map, or a musician
    // never learns it is there ("Ctrl+1 … Ctrl+7" stands for all seven).
    QString spelled = map;
    static const QRegularExpression range(R"(((?:Ctrl\+|Shift\+|Alt\+)+)(F?)(\d+) … \1\2(\d+))");
    for (auto m = range.globalMatch(map); m.hasNext();) {
        const auto r = m.next();
        for (int i = r.captured(3).toInt(); i <= r.captured(4).toInt(); ++i)
            spelled += " " + r.captured(1) + r.captured(2) + QString::number(i) + " ";
    }
    for (const QAction* a : w.findChildren<QAction*>()) {
        if (a->shortcut().isEmpty())
            continue;
        const QString named = a->shortcut().toString(QKeySequence::PortableText);
        const QRegularExpression token("(^|[\\s|/])" + QRegularExpression::escape(named) +
                                       "($|[\\s|/])");
        EXPECT_TRUE(spelled.contains(token))
            << a->text().toStdString() << " (" << named.toStdString()
            << ") is not in the keyboard map";
    }

    for (const char* page : {"/docs/manual.md", "/README.md"}) {
        QFile f(q(test::sourceDir() + page));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString doc = QString::fromUtf8(f.readAll());
        const QString base = QFileInfo(f.fileName()).absolutePath();
        static const QRegularExpression picture(R"(!\[[^\]]*\]\(([^)]+)\))");
        for (auto m = picture.globalMatch(doc); m.hasNext();) {
            const QString file = m.next().captured(1);
            EXPECT_TRUE(QFileInfo::exists(base + "/" + file)) << page << ": " << file.toStdString();
        }
    }
}
