#include "cards/KSModuleWidgetGroup.h"

#include "cards/KSModuleWidgetItem.h"

#include <QCoreApplication>

namespace OV {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("OV::KSModuleWidgetGroup", text);
}

} // namespace

int KSModuleWidgetGroup::itemCount()
{
    return 1;
}

void KSModuleWidgetGroup::createItem(std::vector<SimpleWidgetListContentItem*>& rows, QWidget* parent)
{
    rows.push_back(new KSModuleWidgetItem(parent, QStringLiteral("thessaTempAndHu"),
                                          QStringLiteral(":/profile/image/icon_md_thessa_temp_hu.png"),
                                          tr("Thessa Temp & Humidity")));
}

} // namespace OV
