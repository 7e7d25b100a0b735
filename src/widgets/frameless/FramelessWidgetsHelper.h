#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <QWindow>

namespace OV {

// Gives a top-level widget a frameless window that still moves, resizes and maximises like a
// framed one: the caption widget drags the window, the edges resize it, a double click on the
// caption maximises or restores it. Mouse handling sits on the native window (QWindow), so it
// sees every press before the widgets do.
class FramelessWidgetsHelper : public QObject
{
    Q_OBJECT
public:
    // Width of the band along the window's edges that resizes it.
    static constexpr int ResizeBorder = 6;

    // The helper of the top-level window of `object` (a widget or any of its children), made on
    // first use; null when `object` is not a widget.
    static FramelessWidgetsHelper* get(QObject* object);

    QWidget* window() const { return m_window; }

    void setTitleBarWidget(QWidget* widget);
    QWidget* titleBarWidget() const { return m_titleBar; }

    // true: mouse input on `widget` (and its children) reaches the widget instead of moving the window.
    void setHitTestVisible(QWidget* widget, bool visible = true);
    bool isHitTestVisible(const QWidget* widget) const;

    // true: the window keeps its present size; the user can neither resize nor maximise it.
    void setWindowFixedSize(bool fixed);
    bool isWindowFixedSize() const { return m_fixedSize; }

    // The edges that a press at `windowPos` (window coordinates) resizes; none while the window is
    // fixed, maximised or full screen, and none on a control of the title bar (the close button
    // reaches into the corner).
    Qt::Edges resizeEdgesAt(const QPoint& windowPos) const;
    // Whether `windowPos` lies on the caption: inside the title bar and on no hit-test-visible widget.
    bool isCaptionAt(const QPoint& windowPos) const;

    void toggleMaximized();

    // Called before every show of the window: unless the show asks for a minimised window, the
    // native window is mapped in the normal state, whatever the window manager did to it while
    // it was hidden. Only X11 keeps such a state; elsewhere there is nothing to do.
    void prepareMapNormal();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit FramelessWidgetsHelper(QWidget* window);

    void attachWindowHandle();
    bool isTitleBarControlAt(const QPoint& windowPos) const;
    bool handleWindowEvent(QEvent* event);
    void updateEdgeCursor(Qt::Edges edges);

    QWidget* m_window;
    QPointer<QWindow> m_handle;
    QPointer<QWidget> m_titleBar;
    QList<QPointer<QWidget>> m_hitTestVisible;
    bool m_fixedSize = false;
    QSize m_savedMinimum;
    QSize m_savedMaximum;
    // Used where the platform cannot move windows itself (no window manager, offscreen).
    bool m_manualMove = false;
    QPoint m_moveOffset;
    bool m_cursorSet = false;
};

} // namespace OV
