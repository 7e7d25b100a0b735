#pragma once

#include "widgets/BaseWindow.h"

#include <QTimer>

class QLabel;

namespace OV {

class BusyIndicator;

// A small modal window with a spinning indicator and a text; it closes itself after its time-out.
class WaitDialog : public BaseWindow
{
    Q_OBJECT
public:
    static constexpr int DefaultTimeoutMs = 30000;

    explicit WaitDialog(QWidget* parent = nullptr, int timeoutMs = DefaultTimeoutMs);

    void setText(const QString& text);
    QString text() const;
    int timeout() const { return m_timeoutMs; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    int m_timeoutMs;
    QTimer* m_timer = nullptr;
    QLabel* m_textLabel = nullptr;
    BusyIndicator* m_indicator = nullptr;
};

} // namespace OV
