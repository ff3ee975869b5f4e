// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/findinstrumentpanel.h"

#include "editor/listpanel.h"
#include "patch/rolandmessage.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <iterator>

namespace dorvane {

namespace {

constexpr std::array<const char*, FindInstrumentPanel::ColumnCount> Headers = {
    "MIDI Out", "MIDI In", "Found", "Device ID", "Identity reply"};
constexpr char Title[] = "Find Instrument";
constexpr char Opening[] = "Opening every MIDI port...";
constexpr char StopText[] = "Stop";
constexpr char UseText[] = "Use These Ports";
constexpr char AgainText[] = "Search Again";
constexpr char BackText[] = "Back to the Sheets";
constexpr char UseHint[] = "Choose the selected pair as MIDI Out and MIDI In, with its device ID";
constexpr char NoOutput[] = "not found";
constexpr char NoOutputHint[] =
    "No output made this input answer again: what it heard came from somewhere else";
constexpr char VerdictInstrument[] = "the instrument";
constexpr char VerdictInstrumentNamed[] = "the instrument: part 1 is \"%1\"";
constexpr char VerdictAnswered[] = "answered, but not as an MC-505";
constexpr char VerdictLoop[] = "a MIDI thru loop, skipped";
constexpr char VerdictSilent[] = "no answer";
constexpr char VerdictNotTried[] = "not tried";
constexpr char BuiltIn[] = "Dorvane's built-in instrument (%1)";
constexpr char FoundOne[] =
    "The MC-505 answers on MIDI Out \"%1\" and MIDI In \"%2\", device ID %3.";
constexpr char BuiltInToo[] = " Dorvane's built-in instrument answered too.";
constexpr char FoundSeveral[] =
    "%1 instruments answered: choose one in the list and press \"Use These Ports\".";
constexpr char FoundInputOnly[] =
    "An MC-505 answered on MIDI In \"%1\", but no output reached it on its own: "
    "choose its MIDI Out by hand.";
constexpr char FoundNone[] =
    "No MC-505 answered. Check both MIDI cables and that the instrument receives system "
    "exclusive messages, then press \"Search Again\".";
constexpr char StoppedNone[] = "Stopped before every pair was tried; no MC-505 has answered.";
constexpr char Stopped[] = "Stopped before every pair was tried. ";
constexpr char OneLoop[] =
    "One MIDI thru loop skipped: a port that sends back what it gets is not the instrument.";
constexpr char Loops[] =
    "%1 MIDI thru loops skipped: a port that sends back what it gets is not the instrument.";
constexpr char NotAsked[] = "Not asked: %1";

// Instruments first, the built-in one after any other, then what answered
// otherwise, loops, and the quiet rest.
int rank(const SearchPair& p)
{
    switch (p.verdict) {
    case SearchPair::Instrument:
        return p.builtIn() ? 1 : 0;
    case SearchPair::Answered:
        return 2;
    case SearchPair::Loop:
        return 3;
    case SearchPair::Silent:
        return 4;
    case SearchPair::NotTried:
        break;
    }
    return 5;
}

} // namespace

QString deviceIdWords(std::uint8_t id)
{
    const std::uint8_t bytes[] = {id};
    return QString("%1 (%2 hex)").arg(int(id) + 1).arg(qText(hexBytes(bytes)));
}

QString identityWords(const IdentityReply& reply)
{
    const QString bytes = qText(identityText(reply));
    return isBuiltInIdentity(reply) ? QString(BuiltIn).arg(bytes) : bytes;
}

QString verdictWords(const SearchPair& pair)
{
    switch (pair.verdict) {
    case SearchPair::Instrument:
        return pair.patchName
                   ? QString(VerdictInstrumentNamed).arg(qText(*pair.patchName).trimmed())
                   : QString(VerdictInstrument);
    case SearchPair::Answered:
        return VerdictAnswered;
    case SearchPair::Loop:
        return VerdictLoop;
    case SearchPair::Silent:
        return VerdictSilent;
    case SearchPair::NotTried:
        break;
    }
    return VerdictNotTried;
}

bool isChoosable(const SearchPair& pair)
{
    return pair.isInstrument() && pair.output != SearchPair::UnknownOutput;
}

FindInstrumentPanel::FindInstrumentPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName("findinstrumentpanel");
    auto* column = new QVBoxLayout(this);

    auto* title = new QLabel(Title);
    title->setObjectName("findtitle");
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    title->setFont(bold);
    column->addWidget(title);

    m_summary = makeNote("findsummary");
    column->addWidget(m_summary);

    m_progress = new QProgressBar;
    m_progress->setObjectName("findprogress");
    m_progress->setRange(0, 100);
    m_progress->setAlignment(Qt::AlignCenter);
    column->addWidget(m_progress);

    m_list = makeListTree("findlist", Headers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    column->addWidget(m_list, 1);

    m_problems = makeNote("findproblems");
    m_problems->hide();
    column->addWidget(m_problems);

    auto* buttons = new QHBoxLayout;
    m_stop = makeButton(StopText, "findstop");
    m_use = makeButton(UseText, "finduse");
    m_use->setStatusTip(UseHint);
    m_again = makeButton(AgainText, "findagain");
    m_back = makeButton(BackText, "findback");
    buttons->addWidget(m_stop);
    buttons->addWidget(m_use);
    buttons->addWidget(m_again);
    buttons->addStretch(1);
    buttons->addWidget(m_back);
    column->addLayout(buttons);

    connect(m_stop, &QPushButton::clicked, this, &FindInstrumentPanel::stopRequested);
    connect(m_again, &QPushButton::clicked, this, &FindInstrumentPanel::searchAgainRequested);
    connect(m_back, &QPushButton::clicked, this, &FindInstrumentPanel::backRequested);
    connect(m_use, &QPushButton::clicked, this, [this] {
        if (const SearchPair* p = currentPair(); p && isChoosable(*p))
            emit useRequested(*p);
    });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (const SearchPair* p = currentPair(); p && isChoosable(*p) && !m_running)
            emit useRequested(*p);
    });
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] { updateButtons(); });
    m_progress->hide();
    updateButtons();
}

void FindInstrumentPanel::searchStarted()
{
    m_running = true;
    m_pairs.clear();
    fill();
    m_summary->setText(Opening);
    m_problems->hide();
    m_progress->setValue(0);
    m_progress->show();
    updateButtons();
}

void FindInstrumentPanel::setProgress(int percent, const QString& text)
{
    m_progress->setValue(std::clamp(percent, 0, 100));
    if (m_running)
        m_summary->setText(text);
}

void FindInstrumentPanel::addPair(const SearchPair& pair)
{
    const auto at = std::upper_bound(
        m_pairs.begin(), m_pairs.end(), pair,
        [](const SearchPair& a, const SearchPair& b) { return rank(a) < rank(b); });
    m_pairs.insert(at, pair);
    fill();
}

void FindInstrumentPanel::searchEnded(const InstrumentSearchResult& result)
{
    m_running = false;
    m_pairs = result.pairs;
    std::stable_sort(m_pairs.begin(), m_pairs.end(),
                     [](const SearchPair& a, const SearchPair& b) { return rank(a) < rank(b); });
    fill();
    m_progress->hide();
    m_summary->setText(resultSummary(result));
    QStringList problems;
    for (const std::string& p : result.problems)
        problems << qText(p);
    m_problems->setText(QString(NotAsked).arg(problems.join("; ")));
    m_problems->setVisible(!problems.isEmpty());
    for (int row = 0; row < m_list->topLevelItemCount(); ++row)
        if (isChoosable(m_pairs[std::size_t(row)])) {
            m_list->setCurrentItem(m_list->topLevelItem(row));
            break;
        }
    updateButtons();
    (m_use->isEnabled() ? m_use : m_again)->setFocus();
}

QString FindInstrumentPanel::resultSummary(const InstrumentSearchResult& result) const
{
    const std::vector<const SearchPair*> found = choosablePairs();
    QString text;
    if (const SearchPair* offered = offeredPair()) {
        text = QString(FoundOne).arg(qText(offered->outputName), qText(offered->inputName),
                                     deviceIdWords(offered->deviceId.value_or(DeviceId)));
        if (found.size() > 1)
            text += BuiltInToo;
    } else if (found.size() > 1)
        text = QString(FoundSeveral).arg(found.size());
    else if (const SearchPair* input = result.instrument())
        text = QString(FoundInputOnly).arg(qText(input->inputName));
    else
        text = result.stopped ? StoppedNone : FoundNone;
    if (result.stopped && !found.empty())
        text.prepend(Stopped);
    const auto loops = std::count_if(m_pairs.begin(), m_pairs.end(), [](const SearchPair& p) {
        return p.verdict == SearchPair::Loop;
    });
    if (loops == 1)
        text += QString(" ") + OneLoop;
    else if (loops > 1)
        text += " " + QString(Loops).arg(loops);
    return text;
}

const SearchPair* FindInstrumentPanel::currentPair() const
{
    const QTreeWidgetItem* item = m_list->currentItem();
    if (!item)
        return nullptr;
    return entryAt(m_pairs, item->data(OutputColumn, EntryIndexRole));
}

std::vector<const SearchPair*> FindInstrumentPanel::choosablePairs() const
{
    std::vector<const SearchPair*> out;
    for (const SearchPair& p : m_pairs)
        if (isChoosable(p))
            out.push_back(&p);
    return out;
}

const SearchPair* FindInstrumentPanel::offeredPair() const
{
    const std::vector<const SearchPair*> found = choosablePairs();
    if (found.size() == 1)
        return found.front();
    // The built-in instrument is always there: beside one other, the other
    // is the one the musician has connected.
    std::vector<const SearchPair*> others;
    std::copy_if(found.begin(), found.end(), std::back_inserter(others),
                 [](const SearchPair* p) { return !p->builtIn(); });
    return others.size() == 1 && found.size() == 2 ? others.front() : nullptr;
}

void FindInstrumentPanel::fill()
{
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    for (std::size_t i = 0; i < m_pairs.size(); ++i) {
        const SearchPair& p = m_pairs[i];
        QStringList identities;
        for (const IdentityReply& r : p.identities)
            identities << identityWords(r);
        const bool known = p.output != SearchPair::UnknownOutput;
        auto* item = new QTreeWidgetItem(QStringList{
            known ? qText(p.outputName) : QString(NoOutput), qText(p.inputName), verdictWords(p),
            p.deviceId ? deviceIdWords(*p.deviceId) : QString(), identities.join("; ")});
        item->setData(OutputColumn, EntryIndexRole, qulonglong(i));
        if (!known)
            item->setToolTip(OutputColumn, NoOutputHint);
        if (p.isInstrument()) {
            QFont f = item->font(VerdictColumn);
            f.setBold(true);
            for (int c = 0; c < ColumnCount; ++c)
                item->setFont(c, f);
        }
        items << item;
    }
    m_list->addTopLevelItems(items);
    for (int c = 0; c < ColumnCount - 1; ++c)
        m_list->resizeColumnToContents(c);
}

void FindInstrumentPanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        emit backRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FindInstrumentPanel::updateButtons()
{
    const SearchPair* p = currentPair();
    m_stop->setEnabled(m_running);
    m_use->setEnabled(!m_running && p && isChoosable(*p));
    m_again->setEnabled(!m_running);
    m_use->setDefault(m_use->isEnabled());
}

} // namespace dorvane
