#include "cards/KSBasicWidgetGroup.h"

#include "cards/KSBasicWidgetItem.h"
#include <QCoreApplication>

namespace OV {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("OV::KSBasicWidgetGroup", text);
}

} // namespace

int KSBasicWidgetGroup::itemCount()
{
    return 5;
}

void KSBasicWidgetGroup::createItem(std::vector<SimpleWidgetListContentItem*>& rows, QWidget* parent)
{
    struct Row
    {
        const char* name;
        const char* icon;
        const char* typeId;
    };
    static const Row table[] = {
        {QT_TRANSLATE_NOOP("OV::KSBasicWidgetGroup", "Clock"), ":/profile/image/icon_basic_clock.png", "clock"},
        {QT_TRANSLATE_NOOP("OV::KSBasicWidgetGroup", "World Clock"), ":/profile/image/icon_basic_world_clock.png",
         "worldClock"},
        {QT_TRANSLATE_NOOP("OV::KSBasicWidgetGroup", "Accu Weather"), ":/profile/image/icon_basic_weather.png",
         "accuWeather"},
        {QT_TRANSLATE_NOOP("OV::KSBasicWidgetGroup", "Timer"), ":/profile/image/icon_basic_timer.png", "timer"},
        {QT_TRANSLATE_NOOP("OV::KSBasicWidgetGroup", "White Noise"), ":/profile/image/icon_basic_white_noise.png",
         "whiteNoise"},
    };
    for (const Row& row : table)
        rows.push_back(new KSBasicWidgetItem(parent, QString::fromLatin1(row.typeId), QString::fromLatin1(row.icon),
                                             tr(row.name)));
}

} // namespace OV
