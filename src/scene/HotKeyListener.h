#pragma once

#include "scene/HotkeyHidTable.h"

#include <QList>
#include <QObject>

#include <functional>
#include <optional>

class QKeyEvent;

namespace OV {

// Watches every key event of the application (an application event filter) and reports the
// keys held down as rows of the hotkey HID table, modifiers first. A combination starts with
// the first press after all keys were released. Keys are told apart by the physical key, so a
// key whose Qt key changes with Shift (1 and "!") is released as the key that was pressed.
class HotKeyListener : public QObject
{
    Q_OBJECT
public:
    using Callback = std::function<void(const QList<HotkeyHidTable::KeyDefinition>&)>;

    explicit HotKeyListener(QObject* parent = nullptr);
    ~HotKeyListener() override;

    void setCallback(Callback callback) { m_callback = std::move(callback); }
    bool eventFilter(QObject* watched, QEvent* event) override;

    bool isHolding() const { return m_holding; }
    // The keys held now that the table knows, in the order reported.
    QList<HotkeyHidTable::KeyDefinition> pressedKeys() const;
    void clearPressed();

    // The row a key event stands for, or nothing: the table's first row for the Qt key, with
    // Sleep and Wake given the on-screen keyboard's codes and shifted symbols of the US layout
    // taken as their key.
    static std::optional<HotkeyHidTable::KeyDefinition> rowFor(int qtKey);

private:
    struct HeldKey
    {
        quint64 physicalKey = 0;
        std::optional<HotkeyHidTable::KeyDefinition> row;
    };

    static quint64 physicalKey(const QKeyEvent* event);

    Callback m_callback;
    bool m_holding = false;
    QList<HeldKey> m_pressed;
};

} // namespace OV
