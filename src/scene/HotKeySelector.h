#pragma once

#include "scene/HidKeyDefinition.h"
#include "widgets/BaseWindow.h"

#include <QList>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;

namespace OV {

class KeyboardWidget;

// "Hot Key Selector": builds a key combination on the on-screen keyboard; "Finish" hands it to
// onFinish. Deletes itself when closed.
class HotKeySelector : public BaseWindow
{
    Q_OBJECT
public:
    explicit HotKeySelector(QWidget* parent = nullptr);

    QList<int> keyCodes;
    QString description;
    std::function<void(const QList<int>& codes, const QString& description)> onFinish;

    void showSelection(const QList<HidKeyDefinition>& keys);

    KeyboardWidget* keyboard() const { return m_keyboard; }
    QLabel* descriptionLabel() const { return m_descriptionLabel; }
    QPushButton* finishButton() const { return m_finishButton; }
    QPushButton* resetButton() const { return m_resetButton; }

protected:
    void onThemeChanged(ThemeLoader* loader) override;

private:
    KeyboardWidget* m_keyboard = nullptr;
    QLabel* m_descriptionLabel = nullptr;
    QPushButton* m_finishButton = nullptr;
    QPushButton* m_resetButton = nullptr;
};

} // namespace OV
