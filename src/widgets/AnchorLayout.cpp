#include "widgets/AnchorLayout.h"

#include "widgets/AnchorLine.h"

#include <QEvent>
#include <QTimerEvent>
#include <QWidget>

AnchorLayout* AnchorLayout::get(QWidget* widget)
{
    if (!widget)
        return nullptr;
    if (auto* layout = widget->findChild<AnchorLayout*>(QString(), Qt::FindDirectChildrenOnly))
        return layout;
    return new AnchorLayout(widget);
}

AnchorLayout::AnchorLayout(QWidget* widget) : QObject(widget), m_widget(widget)
{
    widget->installEventFilter(this);
}

AnchorLayout::~AnchorLayout()
{
    // The lines go first, while the layout they point to is still whole.
    const QList<AnchorLine*> lines = findChildren<AnchorLine*>(QString(), Qt::FindDirectChildrenOnly);
    m_left = m_right = m_top = m_bottom = m_horizontalCenter = m_verticalCenter = nullptr;
    m_others.clear();
    qDeleteAll(lines);
}

AnchorLine* AnchorLayout::line(AnchorLine*& slot, int kind)
{
    if (!slot) {
        slot = new AnchorLine(this, kind);
        slot->setMargin(m_margin);
    }
    return slot;
}

AnchorLine* AnchorLayout::left()
{
    return line(m_left, AnchorLine::Left);
}

AnchorLine* AnchorLayout::top()
{
    return line(m_top, AnchorLine::Top);
}

AnchorLine* AnchorLayout::right()
{
    return line(m_right, AnchorLine::Right);
}

AnchorLine* AnchorLayout::bottom()
{
    return line(m_bottom, AnchorLine::Bottom);
}

AnchorLine* AnchorLayout::horizontalCenter()
{
    return line(m_horizontalCenter, AnchorLine::HorizontalCenter);
}

AnchorLine* AnchorLayout::verticalCenter()
{
    return line(m_verticalCenter, AnchorLine::VerticalCenter);
}

AnchorLine* AnchorLayout::existingLine(int kind) const
{
    switch (kind) {
    case AnchorLine::Left:
        return m_left;
    case AnchorLine::Top:
        return m_top;
    case AnchorLine::Right:
        return m_right;
    case AnchorLine::Bottom:
        return m_bottom;
    case AnchorLine::HorizontalCenter:
        return m_horizontalCenter;
    case AnchorLine::VerticalCenter:
        return m_verticalCenter;
    default:
        return nullptr;
    }
}

void AnchorLayout::setMargins(int margin)
{
    if (margin == m_margin)
        return;
    for (AnchorLine* edge : {m_left, m_top, m_right, m_bottom}) {
        if (edge && edge->margin() != margin)
            edge->setMargin(margin);
    }
    m_margin = margin;
}

bool AnchorLayout::isParentOrSibling(const AnchorLayout* other) const
{
    if (!other || other == this)
        return false;
    QWidget* parent = m_widget->parentWidget();
    return other->m_widget == parent || (parent && other->m_widget->parentWidget() == parent);
}

void AnchorLayout::centerIn(AnchorLayout* other)
{
    if (!isParentOrSibling(other))
        return;
    for (AnchorLine* edge : {m_left, m_top, m_right, m_bottom}) {
        if (edge)
            edge->anchorTo(nullptr);
    }
    horizontalCenter()->anchorTo(other->horizontalCenter());
    verticalCenter()->anchorTo(other->verticalCenter());
}

AnchorLayout* AnchorLayout::fill(AnchorLayout* other)
{
    if (!isParentOrSibling(other))
        return this;
    left()->anchorTo(other->left());
    right()->anchorTo(other->right());
    top()->anchorTo(other->top());
    bottom()->anchorTo(other->bottom());
    for (AnchorLine* centre : {m_horizontalCenter, m_verticalCenter}) {
        if (centre)
            centre->anchorTo(nullptr);
    }
    return this;
}

void AnchorLayout::schedule()
{
    m_timer.start(0, this);
}

bool AnchorLayout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_widget && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        emit geometryChanged(m_widget->geometry());
        schedule();
    }
    return false;
}

void AnchorLayout::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timer.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    m_timer.stop();
    QList<AnchorLine*> lines = {m_left, m_top, m_right, m_bottom, m_verticalCenter, m_horizontalCenter};
    lines += m_others;
    for (AnchorLine* line : lines) {
        if (!line)
            continue;
        line->apply();
        line->applyDependents();
    }
}
