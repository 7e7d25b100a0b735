#include "device/KestrinApi.h"

#include "core/Logger.h"
#include "device/KestrinDevice.h"
#include "device/KestrinMessage.h"

#include <functional>
#include <optional>

namespace OV {

namespace {

constexpr const char* kTag = "KestrinTcpApi";
using Json = nlohmann::json;

// What a request's two ends share: the callback runs once, whichever end comes first, and is
// never called again even when it throws.
template <typename T>
struct PendingRequest
{
    BaseResultCallback<T> callback;
    bool done = false;

    void deliver(const BaseResult<T>& result)
    {
        if (done)
            return;
        done = true;
        const BaseResultCallback<T> call = std::move(callback);
        callback = nullptr;
        if (call)
            call(result);
    }
};

// Turns this request's reply into its result; nullopt when the message is not that reply.
template <typename T>
using ReplyReader = std::function<std::optional<BaseResult<T>>(const KestrinMessage&)>;

struct RequestSpec
{
    int act = 0;
    Json data;
    int timeoutMs = 0;
    // Set for requests whose replies are read defensively: a reply that cannot be read is logged
    // under this name and the request waits on.
    const char* guardedName = nullptr;
};

template <typename T>
void sendRequest(const KestrinApi::Device& device, RequestSpec request, ReplyReader<T> read,
                 BaseResultCallback<T> callback)
{
    if (!device) {
        if (callback)
            callback(BaseResult<T>::failure(Errors::NotInitialized, QStringLiteral("no kestrin device")));
        return;
    }
    const KestrinMessage message = KestrinMessage::create(request.act, std::move(request.data));
    auto pending = std::make_shared<PendingRequest<T>>();
    pending->callback = std::move(callback);
    const std::string id = message.id;
    const int act = request.act;
    const char* guardedName = request.guardedName;
    device->addMessageListener(
        [pending, id, act, guardedName, read = std::move(read)](const KestrinMessage& reply) -> MessageDispatchResult {
            if (pending->done)
                return Handled;
            if (reply.id != id || reply.act != act)
                return KeepListening;
            std::optional<BaseResult<T>> result;
            if (guardedName) {
                try {
                    result = read(reply);
                } catch (const std::exception& e) {
                    Logger::error(kTag, "%s error:%s", guardedName, e.what());
                    return KeepListening;
                }
            } else {
                result = read(reply);
            }
            if (!result)
                return KeepListening;
            // Outside the guard: a callback that throws ends the request, it is not retried.
            pending->deliver(*result);
            return Handled;
        },
        device->requestTimeout(act, request.timeoutMs),
        [pending, device]() { pending->deliver(BaseResult<T>::failure(Errors::RequestTimeout)); });
    device->send(message);
}

ReplyReader<void> voidReply()
{
    return [](const KestrinMessage& reply) -> std::optional<BaseResult<void>> {
        if (reply.code == 200)
            return BaseResult<void>::success();
        return BaseResult<void>::failure(Errors::KestrinReplyError, reply.msg);
    };
}

ReplyReader<Json> dataReply()
{
    return [](const KestrinMessage& reply) -> std::optional<BaseResult<Json>> {
        if (reply.code == 200)
            return BaseResult<Json>::success(reply.data);
        return BaseResult<Json>::failure(Errors::KestrinReplyError, reply.msg);
    };
}

void sendVoid(const KestrinApi::Device& device, int act, Json data, int timeoutMs, BaseResultCallback<void> callback)
{
    sendRequest<void>(device, RequestSpec{act, std::move(data), timeoutMs, nullptr}, voidReply(), std::move(callback));
}

void sendData(const KestrinApi::Device& device, int act, Json data, int timeoutMs, BaseResultCallback<Json> callback)
{
    sendRequest<Json>(device, RequestSpec{act, std::move(data), timeoutMs, nullptr}, dataReply(), std::move(callback));
}

} // namespace

void KestrinApi::setCurrentProfile(Device device, const QString& profileKey, BaseResultCallback<void> callback)
{
    sendVoid(device, ActSetCurrentProfile, profileKey.toStdString(), 5000, std::move(callback));
}

void KestrinApi::getWidgetList(Device device, const std::string& request, BaseResultCallback<Json> callback)
{
    sendData(device, ActGetWidgetList, request, 5000, std::move(callback));
}

void KestrinApi::getSceneActionTree(Device device, const std::string& node, BaseResultCallback<Json> callback)
{
    sendData(device, ActGetSceneActionTree, node, 5000, std::move(callback));
}

void KestrinApi::getKnobCtrlDeviceTree(Device device, const std::string& node, BaseResultCallback<Json> callback)
{
    sendData(device, ActGetKnobCtrlDeviceTree, node, 5000, std::move(callback));
}

void KestrinApi::deployAppConfig(Device device, const Json& config, BaseResultCallback<void> callback)
{
    sendVoid(device, ActDeployAppConfig, config, 8000, std::move(callback));
}

void KestrinApi::deployProfiles(Device device, const Json& profiles, BaseResultCallback<void> callback)
{
    sendVoid(device, ActDeployProfiles, profiles, 8000, std::move(callback));
}

void KestrinApi::deployKestrinConfig(Device device, const Json& config, BaseResultCallback<void> callback)
{
    sendVoid(device, ActDeployKestrinConfig, config, 5000, std::move(callback));
}

void KestrinApi::startScanWifiList(Device device, BaseResultCallback<void> callback)
{
    sendVoid(device, ActStartScanWifiList, nullptr, 5000, std::move(callback));
}

void KestrinApi::stopScanWifiList(Device device, BaseResultCallback<void> callback)
{
    sendVoid(device, ActStopScanWifiList, nullptr, 5000, std::move(callback));
}

void KestrinApi::startDiscoveryModule(Device device, const QString& interfaceType, BaseResultCallback<void> callback)
{
    sendVoid(device, ActStartDiscoveryModule, interfaceType.toStdString(), 5000, std::move(callback));
}

void KestrinApi::stopDiscoveryModule(Device device, BaseResultCallback<void> callback)
{
    sendVoid(device, ActStopDiscoveryModule, nullptr, 5000, std::move(callback));
}

void KestrinApi::readProperty(Device device, const std::string& serialNo, int deviceId, int propertyId,
                              const std::string& extra, BaseResultCallback<Json> callback)
{
    Json data = {{"serialNo", serialNo},
                 {"deviceId", deviceId},
                 {"propertyId", propertyId},
                 {"extra", extra.empty() ? Json(nullptr) : Json(extra)}};
    ReplyReader<Json> read = [](const KestrinMessage& reply) -> std::optional<BaseResult<Json>> {
        if (reply.code == 200)
            return BaseResult<Json>::success(reply.data.at("result"));
        return BaseResult<Json>::failure(Errors::KestrinReplyError,
                                         tr("error code: %1").arg(KestrinMessage::readInt(reply.data, "error")));
    };
    sendRequest<Json>(device, RequestSpec{ActReadProperty, std::move(data), 5000, "readProperty"}, std::move(read),
                      std::move(callback));
}

void KestrinApi::writeProperty(Device device, const std::string& serialNo, int deviceId, int propertyId,
                               const Json& value, BaseResultCallback<void> callback)
{
    Json data = {{"serialNo", serialNo}, {"deviceId", deviceId}, {"propertyId", propertyId}, {"value", value}};
    sendRequest<void>(device, RequestSpec{ActWriteProperty, std::move(data), 5000, "writeProperty"}, voidReply(),
                      std::move(callback));
}

void KestrinApi::startEpOTA(Device device, const std::string& gatewayType, const std::string& epSn, int fileSize,
                            int packSize, std::string fileMD5, BaseResultCallback<int> callback)
{
    Json data = {{"gatewayType", gatewayType},
                 {"epSn", epSn},
                 {"fileSize", fileSize},
                 {"packSize", packSize},
                 {"fileMD5", std::move(fileMD5)}};
    ReplyReader<int> read = [epSn](const KestrinMessage& reply) -> std::optional<BaseResult<int>> {
        if (reply.code != 200)
            return BaseResult<int>::failure(Errors::KestrinReplyError, reply.msg);
        // Another module's update answers with its own serial number.
        if (reply.data.at("epSn").get<std::string>() != epSn)
            return std::nullopt;
        return BaseResult<int>::success(KestrinMessage::readInt(reply.data, "err"));
    };
    sendRequest<int>(device, RequestSpec{ActStartEpOTA, std::move(data), 12000, "startEpOTA"}, std::move(read),
                     std::move(callback));
}

void KestrinApi::sendEpOTAData(Device device, const std::string& gatewayType, int packNumber, bool isEndPack,
                               const std::string& data, BaseResultCallback<int> callback)
{
    Json payload = {{"gatewayType", gatewayType}, {"packNumber", packNumber}, {"isEndPack", isEndPack}, {"data", data}};
    ReplyReader<int> read = [](const KestrinMessage& reply) -> std::optional<BaseResult<int>> {
        if (reply.code != 200)
            return BaseResult<int>::failure(Errors::KestrinReplyError, reply.msg);
        return BaseResult<int>::success(KestrinMessage::readInt(reply.data, "err"));
    };
    sendRequest<int>(device,
                     RequestSpec{ActSendEpOTAData, std::move(payload), isEndPack ? 18000 : 8000, "sendEpOTAData"},
                     std::move(read), std::move(callback));
}

void KestrinApi::getModuleOnlineState(Device device, const std::vector<QString>& serialNumbers,
                                      BaseResultCallback<Json> callback)
{
    Json list = Json::array();
    for (const QString& serial : serialNumbers)
        list.push_back(serial.toStdString());
    sendData(device, ActGetModuleOnlineState, std::move(list), 5000, std::move(callback));
}

} // namespace OV
