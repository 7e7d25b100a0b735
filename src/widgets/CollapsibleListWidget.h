#pragma once

#include "widgets/CollapseItem.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QList>
#include <QPointer>

class QVariantAnimation;

namespace OV {

// A vertical, scrolling list of sections that expand and collapse, optionally animated. Section
// widgets are created lazily, only when they come within 200 px of the viewport.
class CollapsibleListWidget : public QAbstractScrollArea
{
    Q_OBJECT
public:
    static constexpr int AnimationMs = 220;
    static constexpr int Overscan = 200;

    // One per added item; created and owned by the list, handed to the caller as a handle.
    struct Node
    {
        CollapseItem* item = nullptr;
        bool expandable = false;
        bool expanded = false;
        double headerHeight = 0;
        // The item's owner may overwrite it, then call updateScrollRange() and updateItemGeometries().
        double contentHeight = 0;
        // The content height while animating; after an expand it keeps the expanded height.
        double animatedHeight = 0;
    };

    explicit CollapsibleListWidget(QWidget* parent = nullptr);
    ~CollapsibleListWidget() override;

    Node* addItem(CollapseItem* item);
    void removeItem(Node* node);
    void removeItem(CollapseItem* item);
    void clear();
    void setExpanded(Node* node, bool expanded, bool animated);

    void updateScrollRange();
    void updateItemGeometries();

    const QList<Node*>& nodes() const { return m_nodes; }
    double totalHeight() const;
    // The widgets made for a node so far (null until made).
    QWidget* headerWidgetOf(const Node* node) const;
    QWidget* contentWidgetOf(const Node* node) const;
    bool isAnimating() const { return m_animation != nullptr; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct Realised
    {
        QPointer<QWidget> header;
        QPointer<QWidget> content;
    };
    struct Entry
    {
        Node* node;
        double y;
        double height;
        bool header;
    };

    QList<Entry> layoutEntries() const;
    void stopAnimation();
    void scrollToNode(Node* node);
    void discardWidgets(Node* node);

    QList<Node*> m_nodes;
    QHash<Node*, Realised> m_widgets;
    QVariantAnimation* m_animation = nullptr;
    Node* m_animatedNode = nullptr;
    bool m_layoutInProgress = false;
    bool m_layoutPending = false;
};

} // namespace OV
