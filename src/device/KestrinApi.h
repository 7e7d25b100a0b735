#pragma once

#include "core/BaseResult.h"

#include <QCoreApplication>
#include <QString>

#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <vector>

namespace OV {

class KestrinDevice;

// The requests the rest of the system sends to the hub. Each sends one message on the session
// and calls its callback exactly once, on the GUI thread: 0 on a reply with code 200, 6001 with
// the reply's text on another code, 6000 when no reply came in time or the session stopped.
class KestrinApi
{
    Q_DECLARE_TR_FUNCTIONS(KestrinApi)
public:
    using Device = std::shared_ptr<KestrinDevice>;
    using Json = nlohmann::json;

    enum Act : int {
        ActGetWidgetList = 1002,
        ActDeployAppConfig = 1010,
        ActSetCurrentProfile = 1103,
        ActDeployProfiles = 1108,
        ActGetSceneActionTree = 1205,
        ActGetKnobCtrlDeviceTree = 1617,
        ActStartScanWifiList = 1633,
        ActStopScanWifiList = 1634,
        ActWifiScanResult = 1635,
        ActStartDiscoveryModule = 30100,
        ActStopDiscoveryModule = 30101,
        ActModuleDiscovered = 30102,
        ActReadProperty = 30200,
        ActWriteProperty = 30201,
        ActDeployKestrinConfig = 30300,
        ActStartEpOTA = 30400,
        ActSendEpOTAData = 30401,
        ActGetModuleOnlineState = 30730,
        ActCommand = 1000000,
    };

    static void setCurrentProfile(Device device, const QString& profileKey, BaseResultCallback<void> callback);
    static void getWidgetList(Device device, const std::string& request, BaseResultCallback<Json> callback);
    static void getSceneActionTree(Device device, const std::string& node, BaseResultCallback<Json> callback);
    static void getKnobCtrlDeviceTree(Device device, const std::string& node, BaseResultCallback<Json> callback);
    static void deployAppConfig(Device device, const Json& config, BaseResultCallback<void> callback);
    static void deployProfiles(Device device, const Json& profiles, BaseResultCallback<void> callback);
    static void deployKestrinConfig(Device device, const Json& config, BaseResultCallback<void> callback);
    static void startScanWifiList(Device device, BaseResultCallback<void> callback);
    static void stopScanWifiList(Device device, BaseResultCallback<void> callback);
    static void startDiscoveryModule(Device device, const QString& interfaceType, BaseResultCallback<void> callback);
    static void stopDiscoveryModule(Device device, BaseResultCallback<void> callback);
    static void readProperty(Device device, const std::string& serialNo, int deviceId, int propertyId,
                             const std::string& extra, BaseResultCallback<Json> callback);
    static void writeProperty(Device device, const std::string& serialNo, int deviceId, int propertyId,
                              const Json& value, BaseResultCallback<void> callback);
    static void startEpOTA(Device device, const std::string& gatewayType, const std::string& epSn, int fileSize,
                           int packSize, std::string fileMD5, BaseResultCallback<int> callback);
    static void sendEpOTAData(Device device, const std::string& gatewayType, int packNumber, bool isEndPack,
                              const std::string& data, BaseResultCallback<int> callback);
    static void getModuleOnlineState(Device device, const std::vector<QString>& serialNumbers,
                                     BaseResultCallback<Json> callback);
};

} // namespace OV
