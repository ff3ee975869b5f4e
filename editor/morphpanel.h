// SPDX-License-Identifier: GPL-3.0-or-later
// The morph's panel: the sound A it starts from, a choice of the sound B it
// goes towards, a slider between them, and Keep and Cancel. It shows what it
// is given and says what was asked through its signals; it knows nothing of
// the window or the session.
#pragma once

#include <QStringList>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace dorvane {

class MorphPanel : public QWidget
{
    Q_OBJECT

public:
    explicit MorphPanel(QWidget* parent = nullptr);

    // "Morph part 3" over "A: Warm Pad".
    void setA(const QString& part, const QString& name);
    // The sounds B may be, and the one chosen (-1: none yet).
    void setSources(const QStringList& sources, int current);
    // 0..MorphMax, without a positionChanged.
    void setPosition(int position);
    int position() const;

    QComboBox* sourceList() const { return m_sources; }
    QSlider* slider() const { return m_slider; }
    QPushButton* keepButton() const { return m_keep; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* fileButton() const { return m_file; }
    QPushButton* libraryButton() const { return m_library; }

signals:
    void sourceChosen(int index);
    void positionChanged(int position);
    void fileRequested();
    void libraryRequested();
    void keepRequested();
    void cancelRequested();

private:
    void showPosition(int position);

    QLabel* m_title = nullptr;
    QLabel* m_a = nullptr;
    QComboBox* m_sources = nullptr;
    QPushButton* m_file = nullptr;
    QPushButton* m_library = nullptr;
    QSlider* m_slider = nullptr;
    QLabel* m_value = nullptr;
    QPushButton* m_keep = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace dorvane
