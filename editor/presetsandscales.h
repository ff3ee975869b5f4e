// SPDX-License-Identifier: GPL-3.0-or-later
// The name field's random names, the preset selector of the part box and the
// scale-tune panel.
#pragma once

#include "editor/windowpart.h"

#include <QString>

#include <optional>
#include <string>

class QComboBox;
class QGroupBox;
class QPushButton;

namespace dorvane {

class PresetsAndScales : public WindowPart
{
    Q_OBJECT

public:
    explicit PresetsAndScales(const WindowParts& parts);

    // On the Common sheet, which is built when one of them is first asked for.
    QComboBox* bankList() const { return onCommonSheet(m_bank); }      // ComboBox1
    QComboBox* presetList() const { return onCommonSheet(m_presets); } // presets
    QComboBox* scaleList() const { return onCommonSheet(m_scales); }   // scales
    QPushButton* scaleSendButton() const { return onCommonSheet(m_scaleSend); }
    // A name of two words from wordlist.txt, entered as by Enter.
    void randomName();
    // Twelve scale-tune messages for the current part from the chosen line of
    // scales.txt, rotated to the song key; the image is not touched.
    void sendScaleTuning();
    void buildPresetSelector(QGroupBox* partBox);
    void buildScalePanel(QGroupBox* scaleBox);
    // The text of a list beside the program, or nothing with why in `error`
    // (empty when the file is not there at all).
    std::optional<std::string> readTextList(const QString& fileName, QString* error) const;

private:
    void ensureBuilt() const;
    template <class Widget> Widget* onCommonSheet(Widget* const& widget) const
    {
        ensureBuilt();
        return widget;
    }
    void bankChanged();
    void presetChosen();

    QComboBox* m_bank = nullptr;
    QComboBox* m_presets = nullptr;
    QComboBox* m_scales = nullptr;
    QPushButton* m_scaleSend = nullptr;
};

} // namespace dorvane
