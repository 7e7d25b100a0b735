#pragma once

#include "cards/KestrinCardEditor.h"

#include <QPixmap>

#include <nlohmann/json.hpp>

#include <functional>

class QLineEdit;

namespace OV {

class KestrinCardIconEditor;
class SceneActionExPanel;

// A PC-control card's name, icon and action, edited on the action page of its kind.
class KestrinCardPCCtrlEditor : public KestrinCardEditor
{
    Q_OBJECT
public:
    using SaveDelegate = std::function<void(BaseResultCallback<void>, const QString& name, const QString& iconText,
                                            const QPixmap& image, int scale, const nlohmann::json& action)>;

    KestrinCardPCCtrlEditor(KestrinCard* card, const QString& editKind, const QString& iconText, const QPixmap& image,
                            int scale);

    SaveDelegate saveDelegate;

    QLineEdit* nameEdit() const { return m_name; }
    KestrinCardIconEditor* iconEditor() const { return m_icon; }
    SceneActionExPanel* page() const { return m_page; }
    // What choosing an application file does: its icon and base name become the card's.
    void takeApplication(const QString& path);

protected:
    void load() override;
    void onSaveEdit(BaseResultCallback<void> resultCallback) override;

private:
    QString m_editKind;
    QLineEdit* m_name;
    KestrinCardIconEditor* m_icon;
    SceneActionExPanel* m_page;
};

} // namespace OV
