#pragma once

#include <QList>
#include <QObject>
#include <QPoint>

class AnchorLayout;
class QWidget;

// One line (an edge, a centre line or a fractional line) of one widget's AnchorLayout. A line
// anchored to a line of the parent or of a sibling keeps its widget on that line, with a margin.
class AnchorLine : public QObject
{
    Q_OBJECT
public:
    enum Kind {
        Left = 0,
        Top = 1,
        Right = 2,
        Bottom = 3,
        HorizontalCenter = 4, // the vertical line through the centre
        VerticalCenter = 5,   // the horizontal line through the centre
        HorizontalRatio = 6,  // a horizontal line at a fraction of the height
        VerticalRatio = 7,    // a vertical line at a fraction of the width
    };

    AnchorLine(AnchorLayout* layout, int kind, double ratio = 0.0);
    ~AnchorLine() override;

    // Returns this line, so that a margin can follow in one expression.
    AnchorLine* anchorTo(AnchorLine* target);
    void setMargin(int margin);

    int margin() const { return m_margin; }
    int kind() const { return m_kind; }
    double ratio() const { return m_ratio; }
    int sign() const { return m_sign; }
    AnchorLine* target() const { return m_target; }
    AnchorLayout* layout() const { return m_layout; }
    const QList<AnchorLine*>& dependents() const { return m_dependents; }
    // Kinds 0, 2, 4 and 7 fix an x coordinate.
    bool fixesX() const;

    // Places this line's widget on its target line (nothing when it has no target).
    void apply();
    // Places every line anchored to this one, and theirs in turn, depth first.
    void applyDependents();

private:
    QPoint firstPoint(QWidget* positioned) const;
    void applyDependents(QList<const AnchorLine*>& path);

    AnchorLayout* m_layout;
    int m_kind;
    double m_ratio = 0.0;
    int m_margin = 0;
    int m_sign = 1;
    QList<AnchorLine*> m_dependents;
    AnchorLine* m_target = nullptr;
};
