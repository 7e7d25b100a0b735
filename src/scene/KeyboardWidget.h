#pragma once

#include "scene/HidKeyDefinition.h"

#include <QList>
#include <QWidget>

#include <functional>

class QPushButton;

namespace OV {

// The on-screen keyboard of the hotkey selector: the main keys, navigation block and keypad at
// fixed places, and rows of system, media, application and browser keys below. Clicking keys
// builds a selection of at most five; a consumer or system key always stands alone.
class KeyboardWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kMaxKeys = 5;

    explicit KeyboardWidget(QWidget* parent = nullptr);

    std::function<void(const QList<HidKeyDefinition>&)> onSelectionChanged;

    void selectKey(HidKeyDefinition key);
    void clearSelection();
    const QList<HidKeyDefinition>& selection() const { return m_selection; }

    // The button of the main board or a key row showing this record (the first one made).
    QPushButton* buttonFor(quint16 code) const;

private:
    QPushButton* addKey(const HidKeyDefinition* record, QWidget* parent);
    void placeKey(quint16 code, int x, int y, int w = 46, int h = 42);
    void notify();

    QList<HidKeyDefinition> m_selection;
    QList<QPair<quint16, QPushButton*>> m_buttons;
};

} // namespace OV
