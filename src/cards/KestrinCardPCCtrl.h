#pragma once

#include "cards/SimpleKestrinCard.h"

#include <QSet>

namespace OV {

class SceneActionExPanel;

// A card that makes the PC do something (an action card: hotkey, file, application, web page,
// text, command) or shows one of the PC's figures (a usage card: CPU, memory, storage, network).
class KestrinCardPCCtrl : public SimpleKestrinCard
{
    Q_OBJECT
public:
    static constexpr int kDefaultIconScale = 50;

    KestrinCardPCCtrl(QWidget* parent, BeanPtr bean);

    // "cpuUsage", "memoryUsage" and "storageUsage".
    static const QSet<QString>& usageTypeIds();
    // The action editor kind of a typeId: empty for a usage card; throws std::invalid_argument
    // for a typeId that is neither.
    static QString editKindOf(const QString& typeId);

    // The PC-control action page of an edit kind; throws std::invalid_argument for another kind.
    static SceneActionExPanel* makeEditPage(const QString& editKind, QWidget* parent);

    void init() override;
    void setDeployParam(const nlohmann::json& param);

    const QString& typeId() const { return m_typeId; }
    const QString& editKind() const { return m_editKind; }
    const QString& extCmd() const { return m_extCmd; }
    int iconScale() const { return m_iconScale; }

private:
    void onPluginImage(const QPixmap& image);
    // The payload a fresh action editor of the card's kind makes, or an empty object.
    nlohmann::json defaultActionValue() const;

    QString m_typeId;
    QString m_editKind;
    QString m_extCmd;
    int m_iconScale = kDefaultIconScale;

protected:
    MainProfileParamsEditor* newConfigEditor() override;
};

} // namespace OV
