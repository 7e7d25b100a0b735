#pragma once

#include <QStringList>

#include <nlohmann/json.hpp>

#include <string>

namespace OV {
class SceneActionListWidget;
}

namespace OV::Test {

// A stored action as an action list holds it, described (and typed) by `desc`.
nlohmann::json listAction(const std::string& desc);

// The "configDesc" of each action, in order.
QStringList descriptions(const nlohmann::json& actions);

// The text of each row the list shows, "<add>" for the row that adds an action.
QStringList rowTexts(SceneActionListWidget& list);

} // namespace OV::Test
