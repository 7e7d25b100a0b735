#pragma once

#include "core/BaseResult.h"

#include <QWidget>

#include <functional>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QStackedWidget;

namespace OV {

class BaseWidget;

// What the edit panels share: a title bar (title, optional spacers, a stack of button pages)
// above a divider and the content, and saving through the save handler or an override, a
// failure shown to the user.
class BaseEditPanel : public QWidget
{
    Q_OBJECT
public:
    std::function<void(BaseResultCallback<void>)> saveEditHandler;

    BaseWidget* contentWidget() const { return m_content; }
    QLabel* titleLabel() const { return m_titleLabel; }
    QWidget* leftSpacer() const { return m_leftSpacer; }
    QWidget* rightSpacer() const { return m_rightSpacer; }

protected:
    BaseEditPanel(QWidget* parent, const QString& titleBarName, int titleBarHeight, const QString& title);

    QStackedWidget* buttonStack() const { return m_buttonStack; }
    // A new page of the button stack; its buttons line up on the right.
    QHBoxLayout* addButtonPage();
    // A button of the title bar's height class, styled as the primary one when asked.
    QPushButton* addButton(QHBoxLayout* page, const QString& text, bool primary);

    // Asks onSaveEdit to save: a failure is shown and ends there, a success runs onSaved unless
    // the panel is gone by then.
    void runSave(std::function<void()> onSaved);
    virtual void onSaveEdit(BaseResultCallback<void> resultCallback);

private:
    QWidget* m_leftSpacer = nullptr;
    QWidget* m_rightSpacer = nullptr;
    BaseWidget* m_content = nullptr;
    QStackedWidget* m_buttonStack = nullptr;
    QLabel* m_titleLabel = nullptr;
};

} // namespace OV
