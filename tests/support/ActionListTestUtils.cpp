#include "support/ActionListTestUtils.h"

#include "core/Utils.h"
#include "scene/MainSceneActionListItemWidget.h"
#include "scene/SceneActionListWidget.h"

namespace OV::Test {

nlohmann::json listAction(const std::string& desc)
{
    return {{"rawData", {{"name", desc}}},
            {"configDesc", desc},
            {"deployData", {{"type", desc}, {"values", nlohmann::json::array()}}}};
}

QStringList descriptions(const nlohmann::json& actions)
{
    QStringList texts;
    for (const nlohmann::json& a : actions)
        texts << fromStdText(a["configDesc"].get<std::string>());
    return texts;
}

QStringList rowTexts(SceneActionListWidget& list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i) {
        if (auto* row = qobject_cast<MainSceneActionListItemWidget*>(list.itemWidget(list.item(i))))
            texts << row->text();
        else
            texts << QStringLiteral("<add>");
    }
    return texts;
}

} // namespace OV::Test
