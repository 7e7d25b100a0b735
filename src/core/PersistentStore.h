#pragma once

#include <QObject>
#include <QString>

#include <nlohmann/json.hpp>

#include <string>

namespace OV {

// One JSON document loaded from a file, read and written by '/'-separated key paths.
// Changes stay in memory until save().
class PersistentStore : public QObject
{
    Q_OBJECT
public:
    enum Mode { ReadWrite = 0, ReadOnly = 1 };

    PersistentStore(const QString& filePath, int mode = ReadWrite);

    const nlohmann::json& get(const std::string& keyPath) const;
    QString getAsString(const std::string& keyPath, const QString& defaultValue) const;
    void setValue(const std::string& keyPath, const nlohmann::json& value);
    void save();

    const QString& filePath() const { return m_filePath; }
    int mode() const { return m_mode; }

signals:
    void dataUpdated(std::string keyChain);

private:
    void load();
    nlohmann::json& findOrCreate(const std::string& keyPath);

    QString m_filePath;
    int m_mode;
    nlohmann::json m_root = nlohmann::json::object();
};

} // namespace OV
