#pragma once

#include "widgets/MessageDialog.h"

#include <functional>

class QTimer;

namespace OV {

// A message box for destructive operations: its confirm button (button2) stays disabled and
// counts the remaining seconds down before it can be pressed; button3 cancels at once. The
// confirm button is 100 wide, wider where its count-down text needs it.
class DelayOpMessageDialog : public MessageDialog
{
    Q_OBJECT
public:
    explicit DelayOpMessageDialog(QWidget* parent = nullptr);

    std::function<void(QShowEvent*)> showHandler;

    void setDelay(int seconds) { m_delay = seconds; }
    int delay() const { return m_delay; }
    void setConfirmText(const QString& text) { m_confirmText = text; }
    QString confirmText() const { return m_confirmText; }
    // The one-second countdown; tests shorten its interval.
    QTimer* countdownTimer() const { return m_timer; }

protected:
    void onThemeChanged(ThemeLoader* loader) override;
    void showEvent(QShowEvent* event) override;

private:
    void tick();

    int m_delay = 3;
    QString m_confirmText;
    QTimer* m_timer = nullptr;
};

} // namespace OV
