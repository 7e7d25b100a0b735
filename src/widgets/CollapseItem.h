#pragma once

class QWidget;

namespace OV {

// One section of a CollapsibleListWidget: a header and, when expandable, a content area below it.
// The list asks for the widgets only when the section comes near the visible area. Owned by the
// caller, never by the list.
class CollapseItem
{
public:
    virtual ~CollapseItem() = default;
    virtual bool isExpandable() = 0;
    virtual double headerHeight() = 0;
    virtual double contentHeight() = 0;
    virtual QWidget* headerWidget(QWidget* parent) = 0;
    // Null when the section has no content widget (yet); the list asks again at its next layout.
    virtual QWidget* contentWidget(QWidget* parent) = 0;
};

} // namespace OV
