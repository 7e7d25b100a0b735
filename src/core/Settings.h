#pragma once

#include <QObject>
#include <QString>

#include <memory>

namespace OV {

class PersistentStore;

// Application settings over "settings.json" in the working directory.
class Settings : public QObject
{
    Q_OBJECT
public:
    static Settings* instance();

    QString language() const;
    QString theme() const;
    // Base address of the cloud gateway (icon and plug-in listings), without a trailing slash.
    QString cloudGateway() const;

    bool isAutoStartEnabled() const;
    bool setAutoStartEnabled(bool enabled);

    static constexpr const char* kDefaultCloudGateway = "https://gateway.brelvik.example";

private:
    Settings();
    ~Settings() override;

    std::unique_ptr<PersistentStore> m_store;
};

} // namespace OV
