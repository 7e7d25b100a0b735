#include "widgets/AnchorLine.h"

#include "widgets/AnchorLayout.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

AnchorLine::AnchorLine(AnchorLayout* layout, int kind, double ratio) : QObject(layout), m_layout(layout), m_kind(kind)
{
    const double a = std::max(0.0, std::min(std::fabs(ratio), 1.0));
    m_ratio = ratio < 0 ? 1.0 - a : a;
    m_sign = (kind == Right || kind == Bottom) ? -1 : 1;
}

AnchorLine::~AnchorLine()
{
    if (m_target)
        m_target->m_dependents.removeAll(this);
    for (AnchorLine* dependent : m_dependents)
        dependent->m_target = nullptr;
}

bool AnchorLine::fixesX() const
{
    return m_kind == Left || m_kind == Right || m_kind == HorizontalCenter || m_kind == VerticalRatio;
}

AnchorLine* AnchorLine::anchorTo(AnchorLine* target)
{
    if (m_kind == HorizontalRatio || m_kind == VerticalRatio)
        return this;
    if (target == m_target)
        return this;
    if (target && target->m_layout == m_layout)
        return this;
    if (m_target) {
        m_target->m_dependents.removeAll(this);
        m_target->m_layout->schedule();
        m_target = nullptr;
    }
    if (!target || target->fixesX() != fixesX())
        return this;
    m_target = target;
    if (!target->m_dependents.contains(this))
        target->m_dependents.append(this);
    target->m_layout->schedule();
    return this;
}

void AnchorLine::setMargin(int margin)
{
    if (margin == m_margin)
        return;
    m_margin = margin;
    applyDependents();
    // The line itself moves with its new margin at the next pass, also long after anchoring.
    m_layout->schedule();
}

QPoint AnchorLine::firstPoint(QWidget* positioned) const
{
    QWidget* owner = m_layout->widget();
    const QRect r = positioned->parentWidget() == owner ? owner->rect() : owner->geometry();
    switch (m_kind) {
    case Left:
    case Top:
        return r.topLeft();
    case Right:
        return r.topRight();
    case Bottom:
        return r.bottomLeft();
    case HorizontalCenter:
        return {r.center().x(), r.top()};
    case VerticalCenter:
        return {r.left(), r.center().y()};
    case HorizontalRatio:
        return {r.left(), r.top() + static_cast<int>(r.height() * m_ratio)};
    case VerticalRatio:
        return {r.left() + static_cast<int>(r.width() * m_ratio), r.top()};
    default:
        return r.topLeft();
    }
}

void AnchorLine::apply()
{
    if (!m_target)
        return;
    QWidget* w = m_layout->widget();
    QWidget* t = m_target->m_layout->widget();
    QWidget* parent = w->parentWidget();
    if (!parent || (t != parent && t->parentWidget() != parent))
        return;
    const QPoint p = m_target->firstPoint(w);
    const int x = p.x() + m_sign * m_margin;
    const int y = p.y() + m_sign * m_margin;
    QRect g = w->geometry();
    switch (m_kind) {
    case Left:
        if (m_layout->right()->target())
            g.setLeft(x);
        else
            g.moveLeft(x);
        break;
    case Top:
        if (m_layout->bottom()->target())
            g.setTop(y);
        else
            g.moveTop(y);
        break;
    case Right:
        if (m_layout->left()->target())
            g.setRight(x);
        else
            g.moveRight(x);
        break;
    case Bottom:
        if (m_layout->top()->target())
            g.setBottom(y);
        else
            g.moveBottom(y);
        break;
    case HorizontalCenter:
        g.moveCenter(QPoint(x, g.center().y()));
        break;
    case VerticalCenter:
        g.moveCenter(QPoint(g.center().x(), y));
        break;
    default:
        return;
    }
    w->setGeometry(g);
}

void AnchorLine::applyDependents()
{
    QList<const AnchorLine*> path;
    applyDependents(path);
}

void AnchorLine::applyDependents(QList<const AnchorLine*>& path)
{
    // Anchors may form a ring (A follows B follows A); each line is visited once per walk.
    if (path.contains(this))
        return;
    path.append(this);
    const QList<AnchorLine*> dependents = m_dependents;
    for (AnchorLine* dependent : dependents) {
        dependent->apply();
        dependent->applyDependents(path);
    }
    path.removeLast();
}
