// SPDX-License-Identifier: GPL-3.0-or-later
// Shake Patch and Undo Shake, the shake amounts and the flags that say which
// controls a shake moves.
#pragma once

#include "editor/bindingtable.h"
#include "editor/windowpart.h"
#include "patch/t505temppatch.h"
#include "tools/shake.h"

#include <functional>

class QAction;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QMenu;
class QPoint;

namespace dorvane {

struct Binding;
class TDragTweak;

class ShakeCommands : public WindowPart
{
    Q_OBJECT

public:
    explicit ShakeCommands(const WindowParts& parts);

    t505temppatch& undoImage() { return m_undoImage; }
    // Shake Patch.. and Undo Shake, each asking first.
    void shakePatch();
    void undoShake();
    // The shake flags' menu of a control, as a right click opens it.
    // The shake menu on the controls of a sheet, as it is built.
    void offerShakeMenu(Sheet sheet);
    void openShakeMenu(TDragTweak* control, const QPoint& pos);
    QMenu* shakeMenu() const { return m_shakeMenu; }
    // Whether the shake moves this control: the user's stored choice, else its Tag3.
    bool willShake(const TDragTweak* control) const;
    bool willShake(const Binding& row) const;
    // The shake's type and amounts as the setup sheet shows them.
    ShakeOptions shakeOptions() const;
    QButtonGroup* shakeTypeGroup() const { return m_shakeType; }
    QCheckBox* autoSendShakeBox() const { return m_shakeAutoSend; }
    QCheckBox* shakeWaveBox() const { return m_shakeWave; }
    void buildShakeOptions(QGroupBox* box);
    void buildShakeMenu();
    void readShakeSettings();
    void writeShakeSettings();

private:
    void setShakeGroupFlags(const TDragTweak* control, const std::function<bool(bool)>& flag);

    t505temppatch m_undoImage;
    QButtonGroup* m_shakeType = nullptr;
    QCheckBox* m_shakeAutoSend = nullptr;
    QCheckBox* m_shakeWave = nullptr;
    QMenu* m_shakeMenu = nullptr;
    QAction* m_shakenAction = nullptr;
    QPointer<TDragTweak> m_shakeMenuControl; // the control the shake menu was opened on
};

} // namespace dorvane
