// SPDX-License-Identifier: GPL-3.0-or-later
// The library's rows made into a bank, and two of them compared: the parts of
// LibraryCommands that take several rows at once.
#include "editor/librarycommands.h"

#include "editor/differencespanel.h"
#include "editor/librarypanel.h"
#include "editor/librarytexts.h"
#include "editor/parameterwords.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"
#include "library/bankexport.h"
#include "library/library.h"
#include "library/patchfileparts.h"
#include "midi/dialogs.h"
#include "patch/fileio.h"
#include "patch/imagecheck.h"
#include "patch/imagedifferences.h"
#include "patch/initialpatch.h"
#include "session/editsession.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace dorvane {

namespace {

// The first of the free parts (in part order) after `part`, round to the start.
int nextFreeAfter(const std::vector<int>& free, int part)
{
    const auto after = std::upper_bound(free.begin(), free.end(), part);
    return after != free.end() ? *after : free.front();
}

} // namespace

void LibraryCommands::exportBank(const std::vector<std::size_t>& entries)
{
    if (!m_library || entries.empty())
        return;
    std::vector<bool> rhythm;
    for (std::size_t e : entries)
        rhythm.push_back(m_library->entries().at(e).rhythm());
    // What is offered first: the next free part in order, R for a kit.
    const auto inOrder = partsInOrder(rhythm);
    if (!inOrder) {
        m_frame.setStatusText(texts::LibraryBankTooMany);
        return;
    }
    std::vector<BankPart> parts;
    std::vector<int> taken;
    int lastChosen = -1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const LibraryEntry entry = m_library->entries().at(entries[i]);
        const PartRereading reading = rereadPart(entry);
        if (!reading.ok()) {
            m_frame.setStatusText(
                QString(texts::LibraryFileChanged).arg(entry.fileName, reading.problem));
            return;
        }
        int part = RhythmPart;
        if (!entry.rhythm()) {
            QStringList free;
            std::vector<int> numbers;
            for (int p = 0; p < NormalPartCount; ++p)
                if (std::find(taken.begin(), taken.end(), p) == taken.end()) {
                    numbers.push_back(p);
                    free << partText(p);
                }
            // The next in order first, so Enter after Enter keeps the order;
            // after a part chosen by hand, the next free one after it.
            const int offered = lastChosen < 0 ? (*inOrder)[i] : nextFreeAfter(numbers, lastChosen);
            const auto first = std::find(numbers.begin(), numbers.end(), offered);
            if (first != numbers.end() && first != numbers.begin()) {
                std::rotate(numbers.begin(), first, numbers.end());
                free.clear();
                for (int p : numbers)
                    free << partText(p);
            }
            const auto chosen =
                m_dialogs->chooseItem(texts::LibraryBankTitle,
                                      QString(texts::LibraryBankPartLabel).arg(entry.name), free);
            if (!chosen || *chosen < 0 || *chosen >= int(numbers.size()))
                return;
            part = numbers[std::size_t(*chosen)];
            lastChosen = part;
        }
        taken.push_back(part);
        parts.push_back({reading.block, entry.rhythm(), entry.name, part});
    }
    Bytes base = m_session.image().refreshedBytes();
    // A window started without a start image holds no whole image yet: the
    // parts not chosen are then the initial patch's, as a new image's are.
    if (checkSysexFile(base).kind != SysexFileKind::Image)
        base = initialImage();
    const Bank bank = makeBank(parts, base);
    if (!bank.image) {
        m_frame.setStatusText(QString(texts::LibraryBankRefused).arg(bank.problem));
        return;
    }
    FileDialogRequest request;
    request.title = texts::LibraryBankTitle;
    request.filter = texts::LibraryBankFilter;
    const auto file = m_dialogs->saveFile(request);
    if (!file)
        return;
    writeBank(*file, *bank.image);
    QStringList where;
    for (const BankPart& p : parts)
        where << QString("%1 on %2").arg(p.name, partText(p.part));
    m_frame.setStatusText(QString(texts::LibraryBankWritten).arg(*file, where.join(", ")));
    m_library->indexFile(*file);
}

void LibraryCommands::compareParts(std::size_t first, std::size_t second)
{
    if (!m_library)
        return;
    // Another mode has the sheet area (a Get, the copy mode): it keeps it.
    if (QWidget* shown = m_frame.shownInSheetArea();
        shown && shown != m_comparePage && m_frame.sheetArea()->indexOf(shown) != 0)
        return;
    const LibraryEntry a = m_library->entries().at(first);
    const LibraryEntry b = m_library->entries().at(second);
    if (a.rhythm() != b.rhythm()) {
        m_frame.setStatusText(texts::LibraryCompareKinds);
        return;
    }
    const PartRereading ra = rereadPart(a);
    const PartRereading rb = rereadPart(b);
    for (const auto& [entry, reading] : {std::pair(&a, &ra), std::pair(&b, &rb)})
        if (!reading->ok()) {
            m_frame.setStatusText(
                QString(texts::LibraryFileChanged).arg(entry->fileName, reading->problem));
            return;
        }
    if (!m_comparePage) {
        m_comparePage = new QWidget;
        auto* column = new QVBoxLayout(m_comparePage);
        m_compareTitle = new QLabel;
        m_compareTitle->setObjectName("LibraryCompareTitle");
        m_compareTitle->setWordWrap(true);
        column->addWidget(m_compareTitle);
        m_differences = new DifferencesPanel;
        m_differences->setObjectName("LibraryDifferences");
        column->addWidget(m_differences, 1);
        auto* row = new QHBoxLayout;
        auto* back = new QPushButton(texts::LibraryCompareBack);
        back->setObjectName("LibraryCompareBack");
        connect(back, &QPushButton::clicked, this, [this] { m_frame.showSheets(); });
        row->addStretch(1);
        row->addWidget(back);
        column->addLayout(row);
    }
    const int part = a.rhythm() ? RhythmPart : 0;
    const BindingWords words(m_parts.sheets->waveNames());
    // Two blocks of one part: whatever parts they were saved from.
    auto differences = partDifferences(part, ra.block, rb.block, &words);
    const int count = int(differences.size());
    m_differences->setDifferences(std::move(differences));
    // Neither part is the window's nor the instrument's: no choice is offered,
    // and the columns say whose values they show.
    for (int p : {0, RhythmPart})
        for (QPushButton* button :
             {m_differences->takeTheirsButton(p), m_differences->keepMineButton(p)})
            if (button)
                button->hide();
    QTableWidget* table = m_differences->table();
    table->setHorizontalHeaderItem(DifferencesPanel::HereColumn, new QTableWidgetItem(a.name));
    table->setHorizontalHeaderItem(DifferencesPanel::ThereColumn, new QTableWidgetItem(b.name));
    table->setColumnHidden(DifferencesPanel::PartColumn, true);
    m_compareTitle->setText(
        QString(texts::LibraryCompareTitle).arg(a.name, a.fileName, b.name, b.fileName).arg(count));
    m_frame.modeStarting();
    m_frame.showInSheetArea(m_comparePage);
}

} // namespace dorvane
