#include "cards/KestrinChoiceLists.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "core/ResourceUtils.h"
#include "core/Settings.h"

#include <QComboBox>
#include <QCompleter>
#include <QStringListModel>

#include <nlohmann/json.hpp>

namespace OV {

namespace {

QString jsonText(const nlohmann::json& object, const char* key, const char* language)
{
    return OV::fromStdText(object.at(key).at(language).get<std::string>());
}

} // namespace

QString KestrinChoiceLists::TimeZone::text(const QString& language) const
{
    return language == QLatin1String(kChineseLanguage) ? textZh : textEn;
}

QString KestrinChoiceLists::Sound::name(const QString& language) const
{
    if (language == QLatin1String(kChineseLanguage) && !nameZh.isEmpty())
        return nameZh;
    return nameEn;
}

QList<KestrinChoiceLists::TimeZone> KestrinChoiceLists::timeZones()
{
    QList<TimeZone> zones;
    try {
        const nlohmann::json list =
            nlohmann::json::parse(readResource(QString::fromLatin1(kTimeZoneResource)).toStdString());
        for (const nlohmann::json& entry : list) {
            TimeZone zone;
            zone.offset = OV::fromStdText(entry.at("offset").get<std::string>());
            zone.textEn =
                jsonText(entry, "city", "en_US") + QStringLiteral(" - ") + jsonText(entry, "country", "en_US");
            zone.textZh =
                jsonText(entry, "city", "zh_CN") + QStringLiteral(" - ") + jsonText(entry, "country", "zh_CN");
            zones.append(zone);
        }
    } catch (const std::exception& e) {
        Logger::error("KestrinCardBasicWorldClockEditor", "loadTimeZoneList error:%s", e.what());
        return {};
    }
    return zones;
}

QList<KestrinChoiceLists::Sound> KestrinChoiceLists::sounds()
{
    QList<Sound> list;
    try {
        const nlohmann::json entries =
            nlohmann::json::parse(readResource(QString::fromLatin1(kSoundResource)).toStdString());
        for (const nlohmann::json& entry : entries) {
            Sound sound;
            sound.id = OV::fromStdText(entry.at("id").get<std::string>());
            sound.nameEn = jsonText(entry, "name", "en_US");
            sound.nameZh = jsonText(entry, "name", "zh_CN");
            list.append(sound);
        }
    } catch (const std::exception& e) {
        Logger::error("KestrinCardBasicWhiteNoiseEditor", "loadSoundList error:%s", e.what());
        return {};
    }
    return list;
}

QString KestrinChoiceLists::language()
{
    return Settings::instance()->language();
}

void KestrinChoiceLists::setSearchableItems(QComboBox* box, const QStringList& texts)
{
    auto* model = new QStringListModel(texts, box);
    box->setModel(model);
    // Only an editable box has text to complete.
    if (!box->isEditable())
        return;
    auto* completer = new QCompleter(model, box);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    box->setCompleter(completer);
}

QStringList KestrinChoiceLists::numbers(int count)
{
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts.append(QString::number(i));
    return texts;
}

} // namespace OV
