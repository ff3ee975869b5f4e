// SPDX-License-Identifier: GPL-3.0-or-later
// Send and Verify and the differences page. A Send and Verify sends a part or
// the whole image with its progress, then asks the instrument for the same
// area and compares what comes back with what went: a clean verify puts the
// parts in step; a part that came back otherwise stays changed here, and its
// differences are listed in words on a page over the sheets. A Get whose dump
// differs from changes not saved to a file asks before it loads, and can show
// the same page.
//
// On the page each part has "take theirs" (the instrument's version replaces
// the window's part, one step of the history) and "keep mine" (the window's
// part stays: after a Send and Verify it is sent and verified again, since
// putting it on the instrument was the point; after a Get its rows close).
#pragma once

#include "editor/windowpart.h"
#include "transfer/sendverify.h"

#include <map>
#include <optional>

class QLabel;
class QMenu;
class QPushButton;

namespace dorvane {

class DifferencesPanel;
class InputSettle;
struct DumpResult;

class VerifyCommands : public WindowPart
{
    Q_OBJECT

public:
    explicit VerifyCommands(const WindowParts& parts);

    // The Utility menu's two entries.
    void buildVerifyMenu(QMenu* utility);
    // The page the differences are shown on; the sheet area holds it.
    // Follows the sender and the session; after the transfers are set up.
    void setUpVerify();

    void sendAndVerifyPart();
    void sendAndVerifyAll();
    // No question: the musician has already chosen (keep mine).
    void sendAndVerify(const VerifyArea& area);

    // A Send and Verify is under way, sending or reading back.
    bool verifying() const { return m_job.has_value(); }
    // Its reading back has the receiver: the reception's end is the verify's.
    bool readingBack() const { return m_job && m_job->phase == Phase::Reading; }
    void readBackEnded(const DumpResult& result);
    // The reception panel's button while the part is still going out: the
    // send finishes as a plain send does, without the reading back.
    void stopBeforeReadBack();

    enum class DumpChoice
    {
        Load,     // load the dump as a Get does
        Shown,    // nothing loaded: the differences are on the page
        NotLoaded // nothing loaded
    };
    // Before a Get's loadable dump is loaded: when it differs from changes
    // not saved to a file, the musician is asked, naming how many parameters
    // differ in which parts.
    DumpChoice beforeLoading(const DumpResult& result);

    // The page is built the first time it is shown, or asked for.
    QWidget* differencesPage();
    DifferencesPanel* differencesPanel();
    QLabel* differencesTitle();
    QPushButton* differencesCloseButton();
    // The parts the page lists, by image part number.
    std::vector<int> partsShown() const;

private:
    QWidget* buildDifferencesPage();

    enum class Origin
    {
        Verify,
        Get
    };
    enum class Phase
    {
        Sending,  // the data is on its way
        Settling, // echoes of it pass
        Reading,  // the instrument is asked and answers
    };
    struct Job
    {
        VerifyArea area;
        Bytes sent; // the area's block as it left
        std::uint64_t end = 0;
        QString sendError;
        bool readBackWanted = true;
        Phase phase = Phase::Sending;
    };

    void sendProgressed();
    // The send ends as a plain send does: it failed, or no reading back is wanted.
    void endAsSent();
    void startReadBack();
    // `theirs` is a whole image whose `parts` hold the instrument's version.
    void showDifferences(const Bytes& theirs, const std::vector<int>& parts, Origin origin);
    void refreshDifferences();
    // The page again, when parts are still listed from before.
    void showListed();
    void closeDifferences();
    void takeTheirs(int part);
    void keepMine(int part);
    QString areaName(const VerifyArea& area) const;

    std::optional<Job> m_job;
    InputSettle* m_settle = nullptr;
    QWidget* m_page = nullptr;
    QLabel* m_title = nullptr;
    DifferencesPanel* m_panel = nullptr;
    QPushButton* m_close = nullptr;
    // The instrument's image as last read, for the parts listed.
    Bytes m_theirs;
    std::map<int, Origin> m_listed;
};

} // namespace dorvane
