#pragma once

#include "core/BaseResult.h"

#include <QPixmap>
#include <QString>

#include <nlohmann/json.hpp>

#include <cstdint>

namespace OV {

class ProjectDbModuleBean;
class ProjectModuleUseCase;

// The screen cube's deploy JSON built from its stored configuration:
// {"dataConfig": {"defaultLayer", "layers": [{"id", "items": [{"id", "type"}]}]},
//  "netConfig": {"password", "ssid"}}. The same JSON is the module's extraConfig and the
// package's "config.json". A module of another product gives 1001; a malformed stored
// configuration (a layer or widget without its integer "id", a widget without its "type", text
// that is not UTF-8) gives 1002 with the reason.
// With writeFiles the package is written too: "<temp>/pellora-build-<record id>/config" holds
// "config.json" and one "com_res<widget id>" folder per widget with "default.bin" and
// "pressed.bin"; it is packed into "<that folder>.tgz", whose path is put into tgzPath. When the
// cube has no layers nothing is packed, an older archive is removed and tgzPath is emptied.
BaseResult<nlohmann::json> buildPelloraDeployData(ProjectModuleUseCase& useCase, const ProjectDbModuleBean& bean,
                                                  bool writeFiles, QString& tgzPath);

// Makes the widget's "com_res<id>" folder and writes its type's files; only buttons (type 1)
// can be packed, any other type gives 1002 "unknown widget type: <type>".
BaseResult<void> writePelloraWidgetFiles(ProjectModuleUseCase& useCase, const QString& buildDir, int64_t ownerId,
                                         int64_t type, int64_t widgetId, const nlohmann::json& widget);

// "default.bin" and "pressed.bin" of a button from its stored "iconUnpressed" and "iconPressed"
// images in the device image format; a missing image is the 8-byte blank.
BaseResult<void> writePelloraButtonImages(ProjectModuleUseCase& useCase, const QString& widgetDir, int64_t ownerId,
                                          const nlohmann::json& widget);

// Rebuilds the deploy JSON without files into the bean's extraConfig and stores the bean. Only
// for the screen cube (1001 otherwise). On failure the bean is as it was given.
BaseResult<void> refreshPelloraExtraConfig(ProjectModuleUseCase& useCase, ProjectDbModuleBean& bean);

// The translated status message, with ", details: <detail>" when there is a detail.
QString formatResultMessage(const ErrorCode& error, const QString& detail);

template <typename T>
QString formatResultMessage(const BaseResult<T>& result)
{
    return formatResultMessage(result.error, result.message);
}

// The "widgets" array of one stored layer; a layer without one has no widgets. Throws
// std::invalid_argument when the layer is not an object or its "widgets" is not an array.
const nlohmann::json& pelloraLayerWidgets(const nlohmann::json& layer);

// An image of the module's file_store decoded; a null image when it is missing or unreadable.
QPixmap loadModuleImage(ProjectModuleUseCase& useCase, int64_t ownerId, const QString& name);
// The same through the open project's module use case.
QPixmap loadModuleImage(int64_t ownerId, const QString& name);

// The folder the package of the module with this record id is built in.
QString pelloraBuildDir(int64_t moduleRecordId);

} // namespace OV
