// SPDX-License-Identifier: GPL-3.0-or-later
// The custom controls side by side with the values a musician meets: value
// controls (one holding the focus, one with an empty list), reversed scroll
// bars with their hints, and knobs on all four picture strips.
//   controlgallery            shows the window
//   controlgallery out.png    saves a grab of the window to out.png and quits
#include "editor/tdragtweak.h"
#include "editor/trevscrb.h"
#include "quickedit/knobstrips.h"
#include "quickedit/tknob.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

using namespace dorvane;

namespace {

QStringList range(int first, int last, const QString& prefix = QString())
{
    QStringList list;
    for (int i = first; i <= last; ++i)
        list << prefix + QString::number(i);
    return list;
}

QStringList notes()
{
    static const char* names[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    QStringList list;
    for (int n = 0; n < 128; ++n)
        list << QString("%1%2 ").arg(names[n % 12]).arg(n / 12 - 1);
    return list;
}

// A caption above a control, as the main window labels its parameters.
QWidget* captioned(const QString& caption, QWidget* control)
{
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto* label = new QLabel(caption);
    layout->addWidget(label, 0, Qt::AlignHCenter);
    layout->addWidget(control, 0, Qt::AlignHCenter);
    return box;
}

TDragTweak* valueControl(const QStringList& items, int position)
{
    auto* c = new TDragTweak;
    c->SetItems(items);
    c->SetPosition(position);
    return c;
}

QGroupBox* valueControls(TDragTweak*& focused)
{
    auto* group = new QGroupBox("Value controls");
    auto* grid = new QGridLayout(group);
    focused = valueControl({"on", "continuous", "key!on"}, 2);
    auto* noPort = new TDragTweak;
    noPort->SetCaption("no midiout");
    const QList<QPair<QString, QWidget*>> cells = {
        {"Cutoff Frequency", valueControl(range(0, 127), 74)},
        {"Fine Tune", valueControl(range(-50, 50), 57)},
        {"LFO1 Fade Mode (focused)", focused},
        {"Key Range Upper", valueControl(notes(), 127)},
        {"Tempo", valueControl(range(20, 250), 100)},
        {"Reverb Type",
         valueControl({"room1", "room2", "stage1", "stage2", "hall1", "hall2", ""}, 4)},
        {"Part 1 level", valueControl(range(0, 64, "P1: "), 64)},
        {"MIDI out (empty list)", noPort},
    };
    for (int i = 0; i < cells.size(); ++i)
        grid->addWidget(captioned(cells[i].first, cells[i].second), i / 4, i % 4);
    return group;
}

QGroupBox* scrollBars()
{
    auto* group = new QGroupBox("Reversed scroll bars");
    auto* row = new QHBoxLayout(group);
    struct Bar
    {
        const char* caption;
        int max;
        int position;
        TRevScrB::TPos2HintKind kind;
        int compensate;
    };
    const Bar bars[] = {{"Level", 127, 27, TRevScrB::phRevPosition, 0},
                        {"Pan", 127, 64, TRevScrB::phPosition, -64},
                        {"Morph", 100, 50, TRevScrB::phPosition, 0}};
    for (const Bar& b : bars) {
        auto* bar = new TRevScrB(Qt::Vertical);
        bar->setRange(0, b.max);
        bar->SetPos2HintKind(b.kind);
        bar->SetPosCompensatevalue(b.compensate);
        bar->SetPosCompensate(b.compensate != 0);
        bar->SetPosition(b.position);
        bar->setMinimumHeight(110);
        auto* column = new QVBoxLayout;
        auto* hint = new QLabel(QString("%1\nhint %2").arg(b.caption, bar->Hint()));
        hint->setAlignment(Qt::AlignHCenter);
        QObject::connect(bar, &QScrollBar::valueChanged, hint, [hint, bar, b] {
            hint->setText(QString("%1\nhint %2").arg(b.caption, bar->Hint()));
        });
        column->addWidget(bar, 1, Qt::AlignHCenter);
        column->addWidget(hint);
        row->addLayout(column);
    }
    return group;
}

tknob* knob(const PictureStrip& strip, int max, int position)
{
    auto* k = new tknob;
    k->SetiImageList(&strip);
    k->SetMax(max);
    // Min, then Max, then the position: the first two force a drawing.
    k->SetPosition(k->Min());
    k->SetPosition(k->Max());
    k->SetPosition(position);
    return k;
}

QGroupBox* knobs(const KnobStrips& strips)
{
    auto* group = new QGroupBox("Knobs");
    auto* grid = new QGridLayout(group);
    int column = 0;
    for (int position : {0, 32, 64, 96, 127})
        grid->addWidget(captioned(QString::number(position), knob(strips.Knob(), 127, position)), 0,
                        column++);
    grid->addWidget(captioned("off", knob(strips.Switch(), 1, 0)), 0, column++);
    grid->addWidget(captioned("on", knob(strips.Switch(), 1, 1)), 0, column++);
    auto* flushed = knob(strips.Knob(), 127, 90);
    flushed->SetFlushnow(true);
    grid->addWidget(captioned("flushed", flushed), 0, column++);

    auto* filters = new QHBoxLayout;
    for (int type = 0; type < KnobStrips::FilterTypeFrames; ++type)
        filters->addWidget(knob(strips.FilterType(), KnobStrips::FilterTypeFrames - 1, type));
    grid->addLayout(filters, 1, 0, 1, column);
    auto* waves = new QHBoxLayout;
    for (int shape = 0; shape < KnobStrips::LfoWaveFrames; ++shape)
        waves->addWidget(knob(strips.LfoWave(), KnobStrips::LfoWaveFrames - 1, shape));
    grid->addLayout(waves, 2, 0, 1, column);
    return group;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Dorvane controls");
    const KnobStrips strips = KnobStrips::forScreen(window.screen());
    auto* layout = new QVBoxLayout(&window);
    TDragTweak* focused = nullptr;
    layout->addWidget(valueControls(focused));
    auto* lower = new QHBoxLayout;
    lower->addWidget(scrollBars());
    lower->addWidget(knobs(strips), 1);
    layout->addLayout(lower);
    window.show();
    window.activateWindow();
    focused->setFocus();

    if (argc < 2)
        return app.exec();
    const QString out = QString::fromLocal8Bit(argv[1]);
    // Give the window system time to map, activate and paint the window.
    QTimer::singleShot(700, &window, [&] {
        const QPixmap grab = window.grab();
        if (!grab.save(out)) {
            std::fprintf(stderr, "cannot write %s\n", argv[1]);
            app.exit(1);
            return;
        }
        std::printf("%s: %dx%d pixels at ratio %.1f\n", argv[1], grab.width(), grab.height(),
                    grab.devicePixelRatio());
        app.exit(0);
    });
    return app.exec();
}
