#pragma once

#include "cards/KestrinDragWidget.h"
#include "widgets/CollapseItem.h"
#include "widgets/CollapsibleListWidget.h"

#include <QPixmap>
#include <QPointer>
#include <QString>

#include <memory>

class QLabel;

namespace OV {

class ElidedLabel;
class KestrinDragWidget;

// One group of the widget list: a 45-px header (arrow, icon, title) that toggles the group,
// above its rows. Groups are made with std::make_shared; widgets refer to them only weakly.
class WidgetListGroupItem : public CollapseItem, public std::enable_shared_from_this<WidgetListGroupItem>
{
public:
    static constexpr double kHeaderHeight = 45.0;
    static constexpr int kRowHeight = 45;
    static constexpr int kDividerHeight = 2;

    explicit WidgetListGroupItem(CollapsibleListWidget* list);
    ~WidgetListGroupItem() override;

    bool isExpandable() override;
    double headerHeight() override;
    double contentHeight() override;
    QWidget* headerWidget(QWidget* parent) override;
    QWidget* contentWidget(QWidget* parent) override;
    virtual QWidget* createTitleExtWidget(QWidget* parent);
    virtual void onExpandedChanged(bool expanded);

    void setIcon(const QPixmap& icon);
    void setTitle(const QString& title);
    const QString& title() const { return m_title; }
    void updateExpandIcon();
    // Expands or collapses at once, as a click on the header does.
    void setExpanded(bool expanded);
    bool isExpanded() const { return m_node && m_node->expanded; }

    CollapsibleListWidget::Node* node() const { return m_node; }
    void setNode(CollapsibleListWidget::Node* node) { m_node = node; }
    CollapsibleListWidget* list() const { return m_list; }
    // The header once made (null before).
    KestrinDragWidget* header() const { return m_header; }

    // The content height of n rows with a divider between neighbours.
    static double rowsHeight(int rows);

protected:
    CollapsibleListWidget* m_list;
    QPixmap m_icon;
    QString m_title;
    CollapsibleListWidget::Node* m_node = nullptr;
    QPointer<KestrinDragWidget> m_header;
    QPointer<QLabel> m_arrowLabel;
    QPointer<QLabel> m_iconLabel;
    QPointer<ElidedLabel> m_titleLabel;
    QPointer<QWidget> m_divider;
};

} // namespace OV
