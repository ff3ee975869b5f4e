// SPDX-License-Identifier: GPL-3.0-or-later
// The manual for musicians, offline: Markdown beside the program shown in a
// text browser, with its headings as a contents list and a find field. Links
// to headings ("#getting-started", as Markdown hosts write them) jump inside
// the manual; links to the web open in the browser.
#pragma once

#include <QSize>
#include <QWidget>

#include <vector>

class QLineEdit;
class QListWidget;
class QTextBrowser;
class QUrl;

namespace dorvane {

class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    HelpWindow(const QString& manualFile, QWidget* parent = nullptr);

    QTextBrowser* browser() const { return m_browser; }
    QListWidget* contents() const { return m_contents; }
    // The headings of the manual, in order, as the contents list shows them.
    QStringList headings() const;
    // Scrolls to the heading of that anchor ("keyboard-map"); false when there is none.
    bool showAnchor(const QString& anchor);
    // The anchor Markdown hosts give a heading: lower case, blanks as '-', no punctuation.
    static QString anchorOf(const QString& heading);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Heading
    {
        QString text;
        int level;
        int position; // of its block in the document
    };
    struct Image
    {
        int position; // of its character in the document
        QSize natural;
    };
    void load(const QString& manualFile);
    void findImagesAndTables();
    void fitImages();
    void showHeading(int index);
    void linkClicked(const QUrl& url);
    void find(bool backwards);

    QTextBrowser* m_browser;
    QListWidget* m_contents;
    QLineEdit* m_find;
    std::vector<Heading> m_headings;
    std::vector<Image> m_images;
};

} // namespace dorvane
