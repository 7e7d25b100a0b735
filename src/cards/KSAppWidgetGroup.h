#pragma once

#include "cards/SimpleAsyncLoadWidgetListGroupItem.h"

#include <QPushButton>

#include <nlohmann/json.hpp>

namespace OV {

// The App group: the applications the current hub offers as cards, asked from the hub when
// the group is first shown and on every refresh.
class KSAppWidgetGroup : public SimpleAsyncLoadWidgetListGroupItem
{
public:
    using SimpleAsyncLoadWidgetListGroupItem::SimpleAsyncLoadWidgetListGroupItem;

    QWidget* createTitleExtWidget(QWidget* parent) override;
    void onExpandedChanged(bool expanded) override;
    void asyncLoadContentData() override;
    void onDataLoaded();

    QPushButton* refreshButton() const { return m_refreshButton; }

private:
    QPointer<QWidget> m_titleExt;
    QPointer<QPushButton> m_refreshButton;
    nlohmann::json m_appList = nlohmann::json::array();
};

} // namespace OV
