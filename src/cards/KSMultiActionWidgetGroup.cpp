#include "cards/KSMultiActionWidgetGroup.h"

#include "cards/KSMultiActionItem.h"

#include <QCoreApplication>

namespace OV {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("OV::KSMultiActionWidgetGroup", text);
}

} // namespace

int KSMultiActionWidgetGroup::itemCount()
{
    return 1;
}

void KSMultiActionWidgetGroup::createItem(std::vector<SimpleWidgetListContentItem*>& rows, QWidget* parent)
{
    rows.push_back(new KSMultiActionItem(parent, QStringLiteral("multiAction"),
                                         QStringLiteral(":/profile/image/icon_ma_multi_action.png"),
                                         tr("Multi-Action")));
}

} // namespace OV
