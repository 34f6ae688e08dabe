// The onion-skin fields of the preferences: the previous and next frames'
// tints, the opacity (10-90 %) and how many frames each way (1 or 2). A
// group box the preferences dialog places among its own fields.
#pragma once

#include "doc/DrawingAids.h"

#include <QGroupBox>

class QPushButton;
class QSpinBox;

class COnionSettingsBox : public QGroupBox {
    Q_OBJECT
public:
    explicit COnionSettingsBox(QWidget* parent = nullptr);

    void Load(const CDrawingAids& aids);
    // Writes the fields into `aids`, leaving the other aids as they are.
    void Store(CDrawingAids& aids) const;

private:
    void ChooseColour(int which);
    void ShowColours();

    uint32_t m_crColour[2] = {0x0000FF, 0xFF0000};
    QPushButton* m_pColour[2] = {};
    QSpinBox* m_pOpacity = nullptr;
    QSpinBox* m_pFrames = nullptr;
};
