#include "core/PersistentStore.h"
#include "core/Utils.h"

#include "core/FileUtils.h"
#include "core/Logger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <stdexcept>
#include <vector>

namespace OV {

namespace {

const nlohmann::json& nullValue()
{
    static const nlohmann::json value;
    return value;
}

std::vector<std::string> splitPath(const std::string& keyPath)
{
    std::vector<std::string> pieces;
    std::string current;
    for (char c : keyPath) {
        if (c == '/') {
            if (!current.empty())
                pieces.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty())
        pieces.push_back(std::move(current));
    return pieces;
}

const nlohmann::json* find(const nlohmann::json& root, const std::string& keyPath)
{
    const nlohmann::json* current = &root;
    for (const auto& piece : splitPath(keyPath)) {
        if (!current->is_object())
            return nullptr;
        auto it = current->find(piece);
        if (it == current->end())
            return nullptr;
        current = &*it;
    }
    return current;
}

} // namespace

PersistentStore::PersistentStore(const QString& filePath, int mode) : m_filePath(filePath), m_mode(mode)
{
    load();
}

void PersistentStore::load()
{
    if (m_filePath.isEmpty())
        throw std::runtime_error("PersistentStore: empty file path");
    QFile file(m_filePath);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("PersistentStore: cannot open file for reading");
    const QByteArray bytes = file.readAll();
    try {
        m_root = nlohmann::json::parse(bytes.constBegin(), bytes.constEnd());
    } catch (const nlohmann::json::exception& e) {
        throw std::runtime_error("PersistentStore: JSON parse error in " + m_filePath.toStdString() + ": " + e.what());
    }
}

const nlohmann::json& PersistentStore::get(const std::string& keyPath) const
{
    const nlohmann::json* value = find(m_root, keyPath);
    return value ? *value : nullValue();
}

QString PersistentStore::getAsString(const std::string& keyPath, const QString& defaultValue) const
{
    try {
        const nlohmann::json* value = find(m_root, keyPath);
        if (!value)
            return defaultValue;
        if (value->is_string())
            return OV::fromStdText(value->get<std::string>());
        return OV::fromStdText(value->dump());
    } catch (const std::exception& e) {
        Logger::error("PersistentStore", "file:%s, getAsString('%s') error:%s", m_filePath.toUtf8().constData(),
                      keyPath.c_str(), e.what());
        return defaultValue;
    }
}

nlohmann::json& PersistentStore::findOrCreate(const std::string& keyPath)
{
    const auto pieces = splitPath(keyPath);
    // Check the whole path first so that a conflict leaves the document unchanged.
    const nlohmann::json* probe = &m_root;
    for (size_t i = 0; i < pieces.size() && probe; ++i) {
        if (!probe->is_object() || !probe->contains(pieces[i])) {
            break;
        }
        const nlohmann::json& next = (*probe)[pieces[i]];
        if (i + 1 < pieces.size() && !next.is_object()) {
            throw std::runtime_error("PersistentStore: path conflict at segment '" + pieces[i] + "' while locating '" +
                                     keyPath + "'");
        }
        probe = &next;
    }
    nlohmann::json* current = &m_root;
    for (const auto& piece : pieces) {
        if (!current->is_object() || !current->contains(piece))
            (*current)[piece] = nlohmann::json::object();
        current = &(*current)[piece];
    }
    return *current;
}

void PersistentStore::setValue(const std::string& keyPath, const nlohmann::json& value)
{
    if (m_mode == ReadOnly)
        throw std::runtime_error("PersistentStore: read-only mode: " + m_filePath.toStdString());
    findOrCreate(keyPath) = value;
    emit dataUpdated(keyPath);
}

void PersistentStore::save()
{
    if (m_mode == ReadOnly)
        throw std::runtime_error("PersistentStore: read-only mode: " + m_filePath.toStdString());
    const QFileInfo info(m_filePath);
    const QString dirPath = info.absolutePath();
    if (!QDir().mkpath(dirPath))
        throw std::runtime_error("PersistentStore: failed to create directory: " + dirPath.toStdString());
    const std::string text = m_root.dump(4);
    // Written beside the target and renamed over it: a crash never leaves a half-written file.
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("PersistentStore: cannot open file for writing: " + m_filePath.toStdString());
    const qint64 written = file.write(text.data(), static_cast<qint64>(text.size()));
    if (written != static_cast<qint64>(text.size()) || !commitSaveFile(file))
        throw std::runtime_error("PersistentStore: failed to write full JSON data to: " + m_filePath.toStdString());
}

} // namespace OV
