#include "views/OnionSettings.h"

#include "doc/ImageEx.h"
#include "platform/UiPort.h"

#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>

COnionSettingsBox::COnionSettingsBox(QWidget* parent)
    : QGroupBox(tr("オニオンスキン"), parent)
{
    auto* form = new QFormLayout(this);
    const QString labels[2] = {tr("前のフレームの色"), tr("次のフレームの色")};
    for (int i = 0; i < 2; ++i) {
        m_pColour[i] = new QPushButton(this);
        m_pColour[i]->setFixedWidth(48);
        connect(m_pColour[i], &QPushButton::clicked, this, [this, i] { ChooseColour(i); });
        form->addRow(labels[i], m_pColour[i]);
    }
    m_pOpacity = new QSpinBox(this);
    m_pOpacity->setRange(10, 90);
    m_pOpacity->setSuffix(QStringLiteral(" %"));
    form->addRow(tr("不透明度"), m_pOpacity);
    m_pFrames = new QSpinBox(this);
    m_pFrames->setRange(1, 2);
    form->addRow(tr("前後のフレーム数"), m_pFrames);
    Load(CDrawingAids{});
}

void COnionSettingsBox::Load(const CDrawingAids& aids)
{
    CDrawingAids a = aids;
    a.Normalize();
    m_crColour[0] = a.crOnionPrev;
    m_crColour[1] = a.crOnionNext;
    m_pOpacity->setValue(a.nOnionOpacity);
    m_pFrames->setValue(a.nOnionFrames);
    ShowColours();
}

void COnionSettingsBox::Store(CDrawingAids& aids) const
{
    aids.crOnionPrev = m_crColour[0];
    aids.crOnionNext = m_crColour[1];
    aids.nOnionOpacity = m_pOpacity->value();
    aids.nOnionFrames = m_pFrames->value();
    aids.Normalize();
}

void COnionSettingsBox::ChooseColour(int which)
{
    uint32_t colour = m_crColour[which];
    if (!UiPort().ChooseColor(colour))
        return;
    m_crColour[which] = colour & 0xFFFFFF;
    ShowColours();
}

void COnionSettingsBox::ShowColours()
{
    for (int i = 0; i < 2; ++i) {
        const uint32_t c = m_crColour[i];
        m_pColour[i]->setStyleSheet(QStringLiteral("background-color: rgb(%1, %2, %3);")
                                        .arg(GetRValue(c))
                                        .arg(GetGValue(c))
                                        .arg(GetBValue(c)));
    }
}
