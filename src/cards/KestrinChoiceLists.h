#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QComboBox;

namespace OV {

// The fixed choices the world-clock, white-noise and timer editors offer, read from the
// resources ":/file/time_zone.json" and ":/file/white_noise_sound_list.json".
class KestrinChoiceLists
{
public:
    static constexpr const char* kTimeZoneResource = ":/file/time_zone.json";
    static constexpr const char* kSoundResource = ":/file/white_noise_sound_list.json";
    static constexpr const char* kChineseLanguage = "zh_CN";

    struct TimeZone
    {
        QString offset;
        // "city - country" in English and in Chinese.
        QString textEn;
        QString textZh;
        QString text(const QString& language) const;
    };

    struct Sound
    {
        QString id;
        QString nameEn;
        QString nameZh;
        // The Chinese name for "zh_CN" when there is one, else the English name.
        QString name(const QString& language) const;
    };

    // The time zones in file order; empty (and logged) when the resource is malformed.
    static QList<TimeZone> timeZones();
    static QList<Sound> sounds();

    // The display language of the editors: the settings' language.
    static QString language();

    // Puts the texts into the combo box as a string-list model with a completer over the same
    // model that matches, without regard to case, anywhere in an item's text.
    static void setSearchableItems(QComboBox* box, const QStringList& texts);
    // "0" to "count - 1" in plain decimal.
    static QStringList numbers(int count);
};

} // namespace OV
