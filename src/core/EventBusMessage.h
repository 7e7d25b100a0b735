#pragma once

#include <QSharedPointer>
#include <QString>

#include <nlohmann/json.hpp>

namespace OV {

// A named event with an optional JSON payload, always passed as a shared pointer.
class EventBusMessage
{
public:
    explicit EventBusMessage(QString topic, nlohmann::json payload = nullptr)
        : topic(std::move(topic)), payload(std::move(payload))
    {}
    virtual ~EventBusMessage() = default;

    QString topic;
    nlohmann::json payload;
};

namespace Topics {
inline constexpr const char* PreDeploy = "ON_PRE_DEPLOY";
inline constexpr const char* KestrinChanged = "ON_KESTRIN_CHANGED";
inline constexpr const char* ShowKestrinDialog = "MainKestrinWidget.showKestrinDialog";
inline constexpr const char* PluginInstalled = "ON_PLUGIN_INSTALLED";
// A module record was stored; payload {"id"}. Holders of the record re-read it.
inline constexpr const char* ModuleStored = "ON_MODULE_STORED";
// A module record was deleted; payload {"id"}. Lists that offer the module drop it.
inline constexpr const char* ModuleRemoved = "ON_MODULE_REMOVED";
// The open project was closed. Windows that write into the project they were opened for close.
inline constexpr const char* ProjectClosed = "ON_PROJECT_CLOSED";
// A module record was added; payload {"id"}. Lists that offer modules of its kind take it.
inline constexpr const char* ModuleAdded = "ON_MODULE_ADDED";
} // namespace Topics

} // namespace OV

Q_DECLARE_METATYPE(QSharedPointer<OV::EventBusMessage>)
