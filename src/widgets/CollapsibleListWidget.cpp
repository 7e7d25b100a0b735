#include "widgets/CollapsibleListWidget.h"

#include <QEasingCurve>
#include <QScrollBar>
#include <QSet>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace OV {

CollapsibleListWidget::CollapsibleListWidget(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameStyle(QFrame::NoFrame);
    viewport()->setAttribute(Qt::WA_StaticContents);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    viewport()->setAutoFillBackground(false);
    viewport()->setStyleSheet(QStringLiteral("background: transparent;"));
    verticalScrollBar()->setSingleStep(24);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

CollapsibleListWidget::~CollapsibleListWidget()
{
    clear();
}

CollapsibleListWidget::Node* CollapsibleListWidget::addItem(CollapseItem* item)
{
    auto* node = new Node;
    node->item = item;
    node->expandable = item->isExpandable();
    node->headerHeight = item->headerHeight();
    node->contentHeight = item->contentHeight();
    m_nodes.append(node);
    updateScrollRange();
    updateItemGeometries();
    return node;
}

void CollapsibleListWidget::discardWidgets(Node* node)
{
    const auto it = m_widgets.find(node);
    if (it == m_widgets.end())
        return;
    for (QWidget* w : {it->header.data(), it->content.data()}) {
        if (w) {
            w->hide();
            w->deleteLater();
        }
    }
    m_widgets.erase(it);
}

void CollapsibleListWidget::removeItem(Node* node)
{
    // A stale handle (already removed) must not be deleted twice.
    if (!node || !m_nodes.contains(node))
        return;
    if (node == m_animatedNode)
        stopAnimation();
    discardWidgets(node);
    m_nodes.removeAll(node);
    delete node;
    updateScrollRange();
    updateItemGeometries();
}

void CollapsibleListWidget::removeItem(CollapseItem* item)
{
    const auto it = std::find_if(m_nodes.begin(), m_nodes.end(), [item](const Node* n) { return n->item == item; });
    if (it != m_nodes.end())
        removeItem(*it);
}

void CollapsibleListWidget::clear()
{
    stopAnimation();
    for (Node* node : QList<Node*>(m_nodes))
        discardWidgets(node);
    m_widgets.clear();
    qDeleteAll(m_nodes);
    m_nodes.clear();
    updateScrollRange();
    updateItemGeometries();
}

void CollapsibleListWidget::stopAnimation()
{
    if (!m_animation)
        return;
    m_animation->stop();
    m_animation->disconnect(this);
    m_animation->deleteLater();
    m_animation = nullptr;
    m_animatedNode = nullptr;
}

double CollapsibleListWidget::totalHeight() const
{
    double total = 0;
    for (const Node* node : m_nodes) {
        total += node->headerHeight;
        if (node->expanded)
            total += node->expandable ? node->contentHeight : 0;
        else
            total += node->animatedHeight;
    }
    return total;
}

void CollapsibleListWidget::updateScrollRange()
{
    const int viewportHeight = viewport()->height();
    const int range = std::max(static_cast<int>(std::ceil(totalHeight())) - viewportHeight, 0);
    verticalScrollBar()->setRange(0, range);
    verticalScrollBar()->setPageStep(viewportHeight);
}

QList<CollapsibleListWidget::Entry> CollapsibleListWidget::layoutEntries() const
{
    QList<Entry> entries;
    double y = 0;
    for (Node* node : m_nodes) {
        entries.append({node, y, node->headerHeight, true});
        y += node->headerHeight;
        if (node == m_animatedNode) {
            y += node->animatedHeight;
        } else if (node->expanded && node->expandable) {
            entries.append({node, y, node->contentHeight, false});
            y += node->contentHeight;
        }
    }
    return entries;
}

void CollapsibleListWidget::updateItemGeometries()
{
    if (m_layoutInProgress) {
        m_layoutPending = true;
        return;
    }
    m_layoutInProgress = true;

    const QList<Entry> entries = layoutEntries();
    const int s = verticalScrollBar()->value();
    const int h = viewport()->height();
    const int w = viewport()->width();
    QSet<QPair<Node*, bool>> shown;

    setUpdatesEnabled(false);
    for (const Entry& e : entries) {
        if ((e.y - s) + e.height < -Overscan || (e.y - s) > h + Overscan)
            continue;
        shown.insert({e.node, e.header});
        QPointer<QWidget> widget = e.header ? m_widgets[e.node].header : m_widgets[e.node].content;
        if (!widget) {
            widget = e.header ? e.node->item->headerWidget(viewport()) : e.node->item->contentWidget(viewport());
            if (!widget)
                continue;
            if (widget->parentWidget() != viewport())
                widget->setParent(viewport());
            // Looked up again: making the widget may have changed the map.
            if (e.header)
                m_widgets[e.node].header = widget;
            else
                m_widgets[e.node].content = widget;
        }
        widget->setGeometry(0, static_cast<int>(e.y - s), w, static_cast<int>(e.height));
        widget->setVisible(e.header || e.height > 0);
    }
    for (auto it = m_widgets.cbegin(); it != m_widgets.cend(); ++it) {
        if (it->header && !shown.contains({it.key(), true}))
            it->header->hide();
        if (it->content && !shown.contains({it.key(), false}))
            it->content->hide();
    }
    setUpdatesEnabled(true);

    m_layoutInProgress = false;
    if (m_layoutPending) {
        m_layoutPending = false;
        updateItemGeometries();
    }
}

void CollapsibleListWidget::setExpanded(Node* node, bool expanded, bool animated)
{
    if (!node || node->expanded == expanded || !m_nodes.contains(node))
        return;
    if (m_animation) {
        stopAnimation();
        updateScrollRange();
        updateItemGeometries();
    }
    const double target = expanded && node->expandable ? node->contentHeight : 0.0;
    node->expanded = expanded;

    if (!animated) {
        node->animatedHeight = target;
        updateScrollRange();
        updateItemGeometries();
        if (expanded)
            scrollToNode(node);
        return;
    }

    auto* animation = new QVariantAnimation(this);
    animation->setDuration(AnimationMs);
    animation->setEasingCurve(QEasingCurve::OutCubic);
    animation->setStartValue(node->animatedHeight);
    animation->setEndValue(target);
    m_animation = animation;
    m_animatedNode = node;
    connect(animation, &QVariantAnimation::valueChanged, this, [this, node](const QVariant& value) {
        node->animatedHeight = value.toDouble();
        updateScrollRange();
        updateItemGeometries();
    });
    connect(animation, &QVariantAnimation::finished, this, [this, node, animation, expanded] {
        animation->disconnect(this);
        animation->deleteLater();
        m_animation = nullptr;
        m_animatedNode = nullptr;
        updateScrollRange();
        updateItemGeometries();
        if (expanded)
            scrollToNode(node);
    });
    animation->start();
}

void CollapsibleListWidget::scrollToNode(Node* node)
{
    for (const Entry& e : layoutEntries()) {
        if (e.node != node || !e.header)
            continue;
        if (e.y >= 0) {
            const int range = std::max(static_cast<int>(std::ceil(totalHeight())) - viewport()->height(), 0);
            verticalScrollBar()->setValue(std::max(0, std::min(static_cast<int>(e.y), range)));
        }
        return;
    }
}

QWidget* CollapsibleListWidget::headerWidgetOf(const Node* node) const
{
    const auto it = m_widgets.constFind(const_cast<Node*>(node));
    return it == m_widgets.cend() ? nullptr : it->header.data();
}

QWidget* CollapsibleListWidget::contentWidgetOf(const Node* node) const
{
    const auto it = m_widgets.constFind(const_cast<Node*>(node));
    return it == m_widgets.cend() ? nullptr : it->content.data();
}

void CollapsibleListWidget::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
    updateItemGeometries();
}

void CollapsibleListWidget::scrollContentsBy(int, int)
{
    updateItemGeometries();
}

} // namespace OV
