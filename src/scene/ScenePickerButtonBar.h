#pragma once

#include <QWidget>

class QPushButton;

namespace OV {

// The bottom bar of the scene pickers: the primary button and "Cancel", on the right.
class ScenePickerButtonBar : public QWidget
{
    Q_OBJECT
public:
    ScenePickerButtonBar(const QString& primaryText, QWidget* parent);

    QPushButton* primaryButton() const { return m_primary; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    QPushButton* m_primary = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace OV
