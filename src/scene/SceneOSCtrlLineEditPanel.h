#pragma once

#include "scene/SceneActionExPanel.h"

class QLineEdit;

namespace OV {

// The base of the PC control editors made of one labelled line of text, saved under one
// parameter key; the subclass turns the text into the action record.
class SceneOSCtrlLineEditPanel : public SceneActionExPanel
{
    Q_OBJECT
public:
    void reset() override;
    void bindData(const nlohmann::json& params) override;
    void setEditStateWatcher(EditStateWatcher* watcher) override;

    QLineEdit* lineEdit() const { return m_edit; }

protected:
    // paramKey: the parameter holding the text; logTag: the subclass's name in the log.
    SceneOSCtrlLineEditPanel(const nlohmann::json& node, const QString& label, const char* paramKey, const char* logTag,
                             QWidget* parent);

    // The entered text without surrounding blanks.
    QString text() const;

private:
    QLineEdit* m_edit = nullptr;
    const char* m_paramKey;
    const char* m_logTag;
};

} // namespace OV
