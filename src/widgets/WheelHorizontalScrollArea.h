#pragma once

#include <QScrollArea>

namespace OV {

// A scroll area whose mouse wheel, when enabled, moves the horizontal scroll bar.
class WheelHorizontalScrollArea : public QScrollArea
{
public:
    using QScrollArea::QScrollArea;

    void setWheelScrollingEnabled(bool enabled) { m_wheelScrolling = enabled; }
    bool isWheelScrollingEnabled() const { return m_wheelScrolling; }

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    bool m_wheelScrolling = false;
};

} // namespace OV
