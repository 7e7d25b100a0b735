#pragma once

#include "cards/WidgetListGroupItem.h"

#include <vector>

class QVBoxLayout;

namespace OV {

class SimpleWidgetListContentItem;

// A group whose rows arrive later: its content starts empty and loads on first request.
class SimpleAsyncLoadWidgetListGroupItem : public WidgetListGroupItem
{
public:
    using WidgetListGroupItem::WidgetListGroupItem;

    double contentHeight() override;
    QWidget* contentWidget(QWidget* parent) override;
    virtual void asyncLoadContentData() = 0;

    // Replaces the rows shown.
    void setContentItems(const std::vector<SimpleWidgetListContentItem*>& rows);
    // The rows shown now.
    std::vector<SimpleWidgetListContentItem*> contentItems() const;
    QWidget* content() const { return m_content; }

protected:
    QPointer<QWidget> m_content;
    QPointer<QVBoxLayout> m_contentLayout;
};

} // namespace OV
