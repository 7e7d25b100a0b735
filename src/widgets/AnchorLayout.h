#pragma once

#include <QBasicTimer>
#include <QList>
#include <QObject>
#include <QRect>

class AnchorLine;
class QWidget;

// Places a widget by tying its edges or centre lines to lines of its parent or of a sibling, and
// keeps it there when they move or resize. Changes within one event-loop turn cost one pass.
class AnchorLayout : public QObject
{
    Q_OBJECT
public:
    // The widget's anchor layout, made on first use (a child of the widget); null for null.
    static AnchorLayout* get(QWidget* widget);
    ~AnchorLayout() override;

    QWidget* widget() const { return m_widget; }
    int margin() const { return m_margin; }

    AnchorLine* left();
    AnchorLine* top();
    AnchorLine* right();
    AnchorLine* bottom();
    AnchorLine* horizontalCenter();
    AnchorLine* verticalCenter();

    // The line of that kind when it has been asked for, else null (never creates one).
    AnchorLine* existingLine(int kind) const;

    void setMargins(int margin);
    void centerIn(AnchorLayout* other);
    AnchorLayout* fill(AnchorLayout* other);

    // Schedules a pass: each of this widget's lines is applied and its dependents re-applied.
    void schedule();

signals:
    void geometryChanged(const QRect& geometry);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    explicit AnchorLayout(QWidget* widget);

    AnchorLine* line(AnchorLine*& slot, int kind);
    bool isParentOrSibling(const AnchorLayout* other) const;

    QWidget* m_widget;
    int m_margin = 0;
    AnchorLine* m_left = nullptr;
    AnchorLine* m_right = nullptr;
    AnchorLine* m_top = nullptr;
    AnchorLine* m_bottom = nullptr;
    AnchorLine* m_horizontalCenter = nullptr;
    AnchorLine* m_verticalCenter = nullptr;
    QList<AnchorLine*> m_others;
    QBasicTimer m_timer;
};
