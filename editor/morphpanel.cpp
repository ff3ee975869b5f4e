// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/morphpanel.h"

#include "editor/windowtexts.h"
#include "tools/morph.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

namespace dorvane {

MorphPanel::MorphPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName("morphpanel");
    m_title = new QLabel;
    m_title->setObjectName("morphtitle");
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_a = new QLabel;
    m_a->setObjectName("morpha");

    m_sources = new QComboBox;
    m_sources->setObjectName("morphsource");
    m_sources->setStatusTip(texts::MorphSourceHint);
    m_sources->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(m_sources, &QComboBox::activated, this, &MorphPanel::sourceChosen);
    auto* bLabel = new QLabel(texts::MorphB);
    bLabel->setBuddy(m_sources);
    m_file = new QPushButton(texts::MorphFile);
    m_file->setObjectName("morphfile");
    m_file->setStatusTip(texts::MorphFileHint);
    connect(m_file, &QPushButton::clicked, this, &MorphPanel::fileRequested);
    m_library = new QPushButton(texts::MorphLibrary);
    m_library->setObjectName("morphlibrary");
    m_library->setStatusTip(texts::MorphLibraryHint);
    connect(m_library, &QPushButton::clicked, this, &MorphPanel::libraryRequested);

    m_slider = new QSlider(Qt::Horizontal);
    m_slider->setObjectName("morphslider");
    m_slider->setRange(0, MorphMax);
    m_slider->setPageStep(MorphMax / 10);
    m_slider->setTickInterval(MorphMax / 2);
    m_slider->setTickPosition(QSlider::TicksBelow);
    m_slider->setStatusTip(texts::MorphSliderHint);
    // Wide enough that a pixel is less than a step for most hands.
    m_slider->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    m_value = new QLabel;
    m_value->setObjectName("morphvalue");
    // The widest text it shows, so the row never jumps.
    m_value->setMinimumWidth(fontMetrics().horizontalAdvance("100 %  "));
    connect(m_slider, &QSlider::valueChanged, this, [this](int position) {
        showPosition(position);
        emit positionChanged(position);
    });

    m_keep = new QPushButton(texts::Keep);
    m_keep->setObjectName("morphkeep");
    m_keep->setStatusTip(texts::KeepMorphHint);
    connect(m_keep, &QPushButton::clicked, this, &MorphPanel::keepRequested);
    m_cancel = new QPushButton(texts::Cancel);
    m_cancel->setObjectName("morphcancel");
    m_cancel->setStatusTip(texts::CancelMorphHint);
    m_cancel->setShortcut(Qt::Key_Escape);
    connect(m_cancel, &QPushButton::clicked, this, &MorphPanel::cancelRequested);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_title, 0, 0, 1, 4);
    grid->addWidget(m_a, 1, 1, 1, 3);
    auto* sourceRow = new QHBoxLayout;
    sourceRow->addWidget(m_sources);
    sourceRow->addWidget(m_file);
    sourceRow->addWidget(m_library);
    sourceRow->addStretch(1);
    grid->addWidget(bLabel, 2, 0);
    grid->addLayout(sourceRow, 2, 1, 1, 3);
    grid->addWidget(new QLabel("A"), 3, 0, Qt::AlignRight);
    grid->addWidget(m_slider, 3, 1);
    grid->addWidget(new QLabel("B"), 3, 2);
    grid->addWidget(m_value, 3, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_keep);
    buttons->addWidget(m_cancel);
    grid->addLayout(buttons, 4, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(5, 1);
    showPosition(0);
}

void MorphPanel::setA(const QString& part, const QString& name)
{
    m_title->setText(QString(texts::MorphTitle).arg(part));
    m_a->setText(QString(texts::MorphA).arg(name));
}

void MorphPanel::setSources(const QStringList& sources, int current)
{
    const QSignalBlocker quiet(m_sources);
    m_sources->clear();
    m_sources->addItems(sources);
    m_sources->setCurrentIndex(current);
    // With nothing to go towards the slider would only lie.
    m_slider->setEnabled(current >= 0);
}

void MorphPanel::setPosition(int position)
{
    const QSignalBlocker quiet(m_slider);
    m_slider->setValue(position);
    showPosition(m_slider->value());
}

int MorphPanel::position() const
{
    return m_slider->value();
}

void MorphPanel::showPosition(int position)
{
    m_value->setText(QString("%1 %").arg(position * 100 / MorphMax));
}

} // namespace dorvane
