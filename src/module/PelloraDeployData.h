#pragma once

#include "core/BaseResult.h"

#include <QString>

#include <nlohmann/json.hpp>

namespace OV {

class ProjectDbModuleBean;
class ProjectModuleUseCase;

// The screen cube's deploy JSON built from its stored configuration:
// {"dataConfig": {"defaultLayer", "layers": [{"id", "items": [{"id", "type"}]}]},
//  "netConfig": {"password", "ssid"}}. The same JSON is the module's extraConfig and the
// package's "config.json". A module of another product gives 1001. A malformed configuration
// (a layer or widget without its integer "id", a widget without its integer "type") throws
// the JSON library's exception, which the caller reports as 1000.
// Writing the package files (writeFiles true) is not available yet and fails with 1003;
// tgzPath is then left as it is.
BaseResult<nlohmann::json> buildPelloraDeployData(ProjectModuleUseCase& useCase, const ProjectDbModuleBean& bean,
                                                  bool writeFiles, QString& tgzPath);

// The "widgets" array of one stored layer; a layer without one has no widgets. Throws
// std::invalid_argument when the layer is not an object or its "widgets" is not an array.
const nlohmann::json& pelloraLayerWidgets(const nlohmann::json& layer);

} // namespace OV
