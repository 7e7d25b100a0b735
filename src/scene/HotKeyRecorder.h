#pragma once

#include "scene/HotKeySelector.h"
#include "scene/HotkeyHidTable.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QPushButton;

namespace OV {

class HotKeyListener;
class HotKeyRecorderKeyboardBlocker;
class SelectableLabel;

// Records a key combination: pressed on the keyboard while the key box is selected, or picked
// on the on-screen keyboard ("Manual Selection"). Yields HID codes and a description.
class HotKeyRecorder : public QWidget
{
    Q_OBJECT
public:
    explicit HotKeyRecorder(QWidget* parent = nullptr);

    std::function<void()> onChanged;
    QList<int> keyCodes;
    QString description;

    // Replaces the combination with the listener's keys and shows it.
    void setRecordedKeys(const QList<HotkeyHidTable::KeyDefinition>& keys);
    // Shows the description as it is now in the key box.
    void showDescription();

    SelectableLabel* keyBox() const { return m_keyBox; }
    QPushButton* manualButton() const { return m_manualButton; }
    HotKeyListener* listener() const { return m_listener; }
    HotKeyRecorderKeyboardBlocker* blocker() const { return m_blocker; }
    // The selector opened by "Manual Selection", while it is open.
    HotKeySelector* selector() const { return m_selector; }

    void openSelector();

private:
    void onListenerKeys(const QList<HotkeyHidTable::KeyDefinition>& keys);

    SelectableLabel* m_keyBox = nullptr;
    QPushButton* m_manualButton = nullptr;
    HotKeyRecorderKeyboardBlocker* m_blocker = nullptr;
    HotKeyListener* m_listener = nullptr;
    QPointer<HotKeySelector> m_selector;
};

} // namespace OV
