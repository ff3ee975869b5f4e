// SPDX-License-Identifier: GPL-3.0-or-later
// The Utility menu's transfers: sending a part, the image or a file with its
// progress, and the Gets with their panel over the sheets.
#pragma once

#include "editor/windowpart.h"
#include "patch/rolandmessage.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QWidget;

namespace dorvane {

class DumpReceiver;
struct DumpResult;

class TransferCommands : public WindowPart
{
    Q_OBJECT

public:
    explicit TransferCommands(const WindowParts& parts);

    // A send under way: the sender's byte counts that bracket it.
    struct SendJob
    {
        std::uint64_t start = 0;
        std::uint64_t end = 0;
        int messages = 0;
        QString error;          // the first failure while it ran
        std::vector<int> parts; // the window's parts it sends whole
    };

    // The panel, its bar and its button are made at the first transfer that shows them.
    QWidget* receptionPanel() const { return m_receptionPanel; }
    // Whether a dump is coming in: its panel has the sheets' place until it ends.
    bool receiving() const;
    QProgressBar* receptionProgressBar() const { return m_progress; }
    QProgressBar* sendProgressBar() const { return m_sendProgress; }
    QPushButton* sysexButton() const { return m_sysexButton; }
    DumpReceiver& receiver() { return *m_receiver; }
    void buildTransferMenu(QMenu* utility);
    void sendCurrentPart();
    // The same without its question, for a command that asked for both.
    void sendCurrentPartUnasked();
    // Sends a part, an image or a file message by message, with the count of
    // what has left in the status bar and a word when it is done.
    // `parts` (by the PART selector's index) are in step once it all left.
    void sendWithProgress(const Bytes& bytes, const std::vector<int>& parts = {});
    std::optional<SendJob>& sendJob() { return m_sendJob; }

    void setUpTransfers();
    // The reception panel over the sheets with its title and first line, as
    // a Get shows it; a Send and Verify shows it from its send on.
    void showTransferPanel(const QString& title, const QString& note);

private:
    void buildReceptionPanel();
    void send8Part();
    void sendFile();
    void sendGeneralFile();
    void sendProgressed();
    void getCurrentPart();
    void get8Part();
    void getFile();
    bool refusedWhileVerifying();
    void receptionProgress(qint64 received, qint64 expected);
    void receptionEnded(const DumpResult& result);
    void outsideFileSent(const Bytes& bytes);

    QWidget* m_receptionPanel = nullptr;
    QLabel* m_receptionTitle = nullptr;
    QLabel* m_receptionCount = nullptr;
    QProgressBar* m_sendProgress = nullptr;
    QPushButton* m_sysexButton = nullptr;
    QProgressBar* m_progress = nullptr;
    DumpReceiver* m_receiver = nullptr;
    std::optional<SendJob> m_sendJob;
};

} // namespace dorvane
