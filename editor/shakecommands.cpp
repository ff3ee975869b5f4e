// SPDX-License-Identifier: GPL-3.0-or-later
// Shake Patch and Undo Shake, the shake options of the setup sheet, and the
// context menu that sets which controls the shake moves. The shake's draws
// and writes are tools/shake; here the window hands it what the controls show
// and draws what came of it.
#include "editor/shakecommands.h"
#include "editor/transfercommands.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"
#include "patch/randomsource.h"

#include "editor/settingsstore.h"
#include "editor/tdragtweak.h"
#include "editor/windowtexts.h"
#include "midi/dialogs.h"
#include "player/tmidiapputil.h"
#include "tools/shake.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>

namespace dorvane {

namespace {

QString nameOf(const Binding& row)
{
    return QString::fromLatin1(row.name.data(), qsizetype(row.name.size()));
}

// The controls that carry the shake menu: those of the shake groups but LFO1
// Level Offset, the wave panel's own and the drum-note box's.
bool hasShakeMenu(const Binding& row)
{
    if (row.name == "lfo1offset")
        return false;
    if (row.panel == "wavepanel" || row.panel == "mutegroupbox")
        return true;
    for (const ShakeGroup& g : shakeGroups())
        if (row.panel == g.panel)
            return true;
    return false;
}

} // namespace

void ShakeCommands::buildShakeOptions(QGroupBox* box)
{
    auto* grid = static_cast<QGridLayout*>(box->layout());
    for (const char* name : {"lshakeamt", "shakeamt", "wshakeamt"})
        if (QLabel* label = m_parts.sheets->labels()[m_parts.sheets->control(name)])
            label->setStatusTip(texts::ShakeAmountHint);

    auto* type = new QGroupBox(texts::ShakeType);
    type->setObjectName("shaketype");
    type->setStatusTip(texts::ShakeTypeHint);
    auto* row = new QHBoxLayout(type);
    row->setContentsMargins(6, 2, 6, 2);
    m_shakeType = new QButtonGroup(this);
    const char* items[] = {texts::ShakeLinear, texts::ShakeNonLinear};
    for (int i = 0; i < 2; ++i) {
        auto* b = new QRadioButton(items[i]);
        b->setObjectName(QString("shaketype%1").arg(i));
        b->setStatusTip(texts::ShakeTypeHint);
        m_shakeType->addButton(b, i);
        row->addWidget(b);
    }
    m_shakeType->button(0)->setChecked(true);

    m_shakeAutoSend = new QCheckBox(texts::AutoSendShake);
    m_shakeAutoSend->setObjectName("shauto");
    m_shakeAutoSend->setStatusTip(texts::AutoSendShakeHint);
    m_shakeWave = new QCheckBox(texts::ShakeWaveform);
    m_shakeWave->setObjectName("shwave");
    m_shakeWave->setStatusTip(texts::ShakeWaveformHint);

    // Below the amounts, which buildPanel put one to a row.
    const int rows = int(bindingsOfPanel("shakebox").size());
    grid->setRowStretch(rows, 0);
    grid->addWidget(type, rows, 0, 1, 2);
    grid->addWidget(m_shakeWave, rows + 1, 0, 1, 2);
    grid->addWidget(m_shakeAutoSend, rows + 2, 0, 1, 2);
    grid->setRowStretch(rows + 3, 1);
}

void ShakeCommands::readShakeSettings()
{
    const int type = m_settings->integer(Setting::ShakeType) == 1 ? 1 : 0;
    m_shakeType->button(type)->setChecked(true);
    m_shakeAutoSend->setChecked(m_settings->boolean(Setting::ShAuto));
    m_shakeWave->setChecked(m_settings->boolean(Setting::ShWave));
}

void ShakeCommands::writeShakeSettings()
{
    m_settings->setInteger(Setting::ShakeType, m_shakeType->checkedId());
    m_settings->setBoolean(Setting::ShAuto, m_shakeAutoSend->isChecked());
    m_settings->setBoolean(Setting::ShWave, m_shakeWave->isChecked());
}

bool ShakeCommands::willShake(const TDragTweak* c) const
{
    return m_settings->willShake(c->objectName()).value_or(c->Tag3() == 1);
}

bool ShakeCommands::willShake(const Binding& row) const
{
    return m_settings->willShake(nameOf(row)).value_or(row.tag3 == 1);
}

ShakeOptions ShakeCommands::shakeOptions() const
{
    ShakeOptions options;
    options.type = m_shakeType->checkedId() == 1 ? ShakeType::NonLinear : ShakeType::Linear;
    options.linearAmount = m_parts.sheets->control("lshakeamt")->Position();
    options.amount = m_parts.sheets->control("shakeamt")->Position();
    options.waveAmount = m_parts.sheets->control("wshakeamt")->Position();
    options.shakeWave = m_shakeWave->isChecked();
    return options;
}

void ShakeCommands::shakePatch()
{
    if (m_session.isRhythmPart())
        return;
    const ShakeOptions options = shakeOptions();
    // One question for the whole command: when the part is sent afterwards,
    // the same answer covers replacing it on the instrument.
    const bool send = m_shakeAutoSend->isChecked();
    QString question = m_shakeType->checkedButton()->text().toUpper() + texts::ShakeQuestion;
    if (send)
        question += QString(texts::ShakeSendsPart).arg(m_session.partIndex() + 1);
    if (!m_dialogs->ask(question, AskKind::Warning))
        return;

    m_random.seedFromClock();
    m_undoImage.LoadFromStream(m_session.image());
    // The shake starts from what the controls show. Only the visible sheet
    // is redrawn on a change of part or tone, so the others may still show
    // another part's values, which the shake would then write into this one.
    m_parts.sheets->refreshToneSheet();
    m_parts.sheets->refreshCommonSheet();

    WaveList wave{m_parts.sheets->waveList()->currentIndex(), m_parts.sheets->waveList()->count()};
    if (options.shakeWave)
        m_parts.sheets->waveList()->setStatusTip(texts::BeforeShaken +
                                                 m_parts.sheets->waveList()->currentText());

    std::vector<TDragTweak*> visited;
    std::vector<ShakeControl> controls;
    for (const ShakeGroup& group : shakeGroups()) {
        for (const Binding* row : bindingsOfPanel(group.panel)) {
            TDragTweak* c = m_parts.sheets->control(nameOf(*row));
            const bool flagged = willShake(c);
            c->setStatusTip(flagged ? texts::BeforeShaken + c->Caption() : texts::WasntShaken);
            visited.push_back(c);
            controls.push_back(
                {c->CtrlNo(), int(c->Items().size()), c->Position(), group.common, flagged});
        }
    }
    std::array<bool, ToneCount> selected{};
    for (int t = 1; t <= ToneCount; ++t)
        selected[std::size_t(t - 1)] = m_session.toneSelected(t);

    // Nothing is sent here: the instrument hears a shake when the part is sent.
    ShakeResult result;
    m_session.apply(
        m_session.onPart("Shake"),
        [&](t505temppatch& image) {
            result = shakePart(image, m_session.partNumber(), selected, controls, options, wave,
                               m_random);
        },
        EditSession::Sending::Nothing);
    for (std::size_t i = 0; i < visited.size(); ++i)
        visited[i]->SetPosition(result.positions[i]);
    if (result.wave)
        m_parts.sheets->waveList()->setCurrentIndex(*result.wave);
    // The controls show the tone on display; when it was not among the tones
    // shaken, they go back to its own values.
    m_parts.sheets->refresh();

    if (send)
        m_parts.transfers->sendCurrentPartUnasked();
}

void ShakeCommands::undoShake()
{
    if (!m_dialogs->ask(texts::UndoShakeQuestion, AskKind::Warning))
        return;
    // The whole image comes back, other parts than the shaken one too (those
    // copied or edited since): the instrument hears every message that
    // differs, as after Undo.
    m_session.apply(texts::UndoShake, [this](t505temppatch& image) {
        t505temppatch shaken;
        shaken.LoadFromStream(image);
        image.LoadFromStream(m_undoImage);
        m_undoImage.LoadFromStream(shaken);
    });
    m_parts.sheets->refresh();
}

void ShakeCommands::buildShakeMenu()
{
    m_shakeMenu = new QMenu(m_parts.window);
    m_shakeMenu->setObjectName("shakemenu");
    m_shakenAction = m_shakeMenu->addAction(texts::Shaken);
    m_shakenAction->setObjectName("Shaken");
    m_shakenAction->setCheckable(true);
    m_shakenAction->setStatusTip(texts::ShakenHint);
    connect(m_shakenAction, &QAction::triggered, this, [this] {
        TDragTweak* c = m_shakeMenuControl;
        if (!c)
            return;
        const bool shake = !willShake(c);
        m_settings->setWillShake(c->objectName(), shake);
        c->SetTag3(shake ? 1 : 0);
    });
    // A popup is a window of its own, so hints would not travel up from it
    // to the status bar by themselves.
    connect(m_shakeMenu, &QMenu::hovered, this,
            [this](QAction* a) { m_frame.showHint(a->statusTip()); });
    m_shakeMenu->addSeparator();
    const std::pair<const char*, std::function<bool(bool)>> groupCommands[] = {
        {texts::DisableShakenGroup, [](bool) { return false; }},
        {texts::EnableShakenGroup, [](bool) { return true; }},
        {texts::InvertShaken, [](bool shake) { return !shake; }},
    };
    for (const auto& [text, flag] : groupCommands) {
        QAction* a = m_shakeMenu->addAction(text);
        a->setObjectName(QString(text).remove(' '));
        connect(a, &QAction::triggered, this, [this, flag] {
            if (TDragTweak* c = m_shakeMenuControl)
                setShakeGroupFlags(c, flag);
        });
    }

    for (Sheet s : {Sheet::Tone, Sheet::Common, Sheet::Setup})
        if (m_parts.sheets->sheetBuilt(s))
            offerShakeMenu(s);
    // A sheet built later offers it as it is built.
    connect(m_parts.sheets, &ValueSheets::sheetMade, this, &ShakeCommands::offerShakeMenu);
}

void ShakeCommands::offerShakeMenu(Sheet sheet)
{
    for (const Binding& row : bindingTable()) {
        const PanelInfo* panel = findPanel(row.panel);
        if (!hasShakeMenu(row) || !panel || panel->sheet != sheet)
            continue;
        TDragTweak* c = m_parts.sheets->control(nameOf(row));
        c->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(c, &QWidget::customContextMenuRequested, this,
                [this, c](const QPoint& pos) { openShakeMenu(c, pos); });
    }
}

void ShakeCommands::openShakeMenu(TDragTweak* c, const QPoint& pos)
{
    m_shakeMenuControl = c;
    m_shakenAction->setChecked(willShake(c));
    m_shakeMenu->popup(c->mapToGlobal(pos));
}

void ShakeCommands::setShakeGroupFlags(const TDragTweak* c, const std::function<bool(bool)>& flag)
{
    const Binding* own = m_parts.sheets->bindingOf(c);
    if (!own)
        return;
    // The group commands store choices only; a control's Tag3 stays as it was.
    for (const Binding* row : bindingsOfPanel(own->panel)) {
        const TDragTweak* member = m_parts.sheets->control(nameOf(*row));
        m_settings->setWillShake(member->objectName(), flag(willShake(member)));
    }
}

ShakeCommands::ShakeCommands(const WindowParts& parts) : WindowPart(parts) {}

} // namespace dorvane
