#pragma once

#include <QPushButton>

class QLabel;

namespace OV {

class BusyIndicator;

// A square icon button that shows a spinning indicator instead of its icon while busy.
class ProgressButton : public QPushButton
{
    Q_OBJECT
public:
    ProgressButton(const QString& iconPath, QWidget* parent = nullptr);

    QLabel* iconLabel() const { return m_iconLabel; }
    BusyIndicator* busyIndicator() const { return m_busyIndicator; }
    bool isBusy() const { return m_busy; }
    // Busy: indicator shown, icon hidden, button disabled; idle: the reverse.
    void setBusy(bool busy);

private:
    QLabel* m_iconLabel = nullptr;
    BusyIndicator* m_busyIndicator = nullptr;
    bool m_busy = false;
};

} // namespace OV
