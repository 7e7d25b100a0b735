#pragma once

#include <QObject>

namespace OV {

// While enabled, swallows every key press and release of the application (an application
// event filter), so typing a hotkey reaches no widget.
class HotKeyRecorderKeyboardBlocker : public QObject
{
    Q_OBJECT
public:
    explicit HotKeyRecorderKeyboardBlocker(QObject* parent = nullptr);
    ~HotKeyRecorderKeyboardBlocker() override;

    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isEnabled() const { return m_enabled; }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_enabled = false;
};

} // namespace OV
