#pragma once

#include "cards/KestrinCardEditor.h"

#include <QPixmap>

#include <nlohmann/json.hpp>

#include <functional>

class QLineEdit;

namespace OV {

class KestrinCardIconEditor;
class SceneActionListWidget;

// The multi-action card's name, icon and list of actions.
class KestrinCardMAMultiActionEditor : public KestrinCardEditor
{
    Q_OBJECT
public:
    using SaveDelegate = std::function<void(BaseResultCallback<void>, const QString& name, const QString& iconText,
                                            const QPixmap& image, int scale, const nlohmann::json& actions)>;

    KestrinCardMAMultiActionEditor(KestrinCard* card, const QString& iconText, const QPixmap& image, int scale);

    SaveDelegate saveDelegate;

    QLineEdit* nameEdit() const { return m_name; }
    KestrinCardIconEditor* iconEditor() const { return m_icon; }
    SceneActionListWidget* actionList() const { return m_actions; }

protected:
    void load() override;
    void onSaveEdit(BaseResultCallback<void> resultCallback) override;

private:
    QLineEdit* m_name;
    KestrinCardIconEditor* m_icon;
    SceneActionListWidget* m_actions;
};

} // namespace OV
