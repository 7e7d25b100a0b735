#pragma once

#include "widgets/BaseWindow.h"

class QCheckBox;

namespace OV {

// The small modal window behind "Settings": whether the program starts at log-on.
class SettingsWindow : public BaseWindow
{
    Q_OBJECT
public:
    explicit SettingsWindow(QWidget* parent = nullptr);

    QCheckBox* autoStartBox() const { return m_autoStart; }

protected:
    void onThemeChanged(ThemeLoader* loader) override;

private:
    void onAutoStartToggled(bool enabled);

    QCheckBox* m_autoStart = nullptr;
};

} // namespace OV
