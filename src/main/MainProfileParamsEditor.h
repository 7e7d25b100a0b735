#pragma once

#include "core/BaseResult.h"
#include "core/EventBusMessage.h"

#include <QWidget>

#include <nlohmann/json.hpp>

#include <functional>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace OV {

class BaseWidget;
class EditStateWatcher;

// The base of the profile and card parameter editors shown in the main window's edit area:
// always editable, "Save" enabled once something changed, and saved before every deploy.
class MainProfileParamsEditor : public QWidget
{
    Q_OBJECT
public:
    // The configuration is kept by reference for the derived editor: it must outlive the
    // editor, so a temporary is refused at compile time.
    MainProfileParamsEditor(QWidget* parent, const nlohmann::json& config);
    MainProfileParamsEditor(QWidget* parent, nlohmann::json&& config) = delete;
    // For editors without a configuration of their own (the card editors).
    explicit MainProfileParamsEditor(QWidget* parent);

    std::function<void(BaseResultCallback<void>)> saveEditHandler;

    const nlohmann::json& config() const { return m_config; }
    BaseWidget* contentWidget() const { return m_content; }
    EditStateWatcher* watcher() const { return m_watcher; }
    QLabel* titleLabel() const { return m_titleLabel; }
    QPushButton* resetButton() const { return m_resetButton; }
    QPushButton* saveButton() const { return m_saveButton; }
    QWidget* leftSpacer() const { return m_leftSpacer; }
    QWidget* rightSpacer() const { return m_rightSpacer; }

protected:
    virtual void onSaveEdit(BaseResultCallback<void> resultCallback);
    virtual void onResetEdit();

    void saveEdit();

private:
    void onMessage(const QSharedPointer<EventBusMessage>& message);

    QWidget* m_leftSpacer = nullptr;
    QWidget* m_rightSpacer = nullptr;
    BaseWidget* m_content = nullptr;
    const nlohmann::json& m_config;
    EditStateWatcher* m_watcher = nullptr;
    QStackedWidget* m_buttonStack = nullptr;
    QLabel* m_titleLabel = nullptr;
    QPushButton* m_resetButton = nullptr;
    QPushButton* m_saveButton = nullptr;
};

} // namespace OV
