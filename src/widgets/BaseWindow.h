#pragma once

#include "widgets/BaseWidget.h"

#include <QSize>

#include <functional>

class QCloseEvent;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace OV {

class FramelessWidgetsHelper;

// A frameless top-level window with its own 40 px title bar (icon, title, a custom middle area,
// minimise, maximise and close buttons), a 2 px separator and a content host.
class BaseWindow : public BaseWidget
{
    Q_OBJECT
public:
    explicit BaseWindow(QWidget* parent = nullptr);

    void setTitle(const QString& title);
    QString title() const;

    void setContentWidget(QWidget* widget);
    QWidget* contentArea() const { return m_contentHost; }
    void setTitleBarWidget(QWidget* widget);
    void setHitTestVisible(QWidget* widget, bool visible = true);
    void setFixedWindowSize(int w, int h);
    void moveToCenter();

    // Every show centres the window on its screen unless it is maximised, and maps it normal
    // unless it asks to be minimised.
    void setVisible(bool visible) override;

    void hideMinimizeButton();
    void hideMaximizeButton();
    void hideCloseButton();
    void showCloseButton();
    void hideTitleBar();

    void setCloseRequestHandler(std::function<bool()> handler) { m_closeRequestHandler = std::move(handler); }
    void setClosedHandler(std::function<void()> handler) { m_closedHandler = std::move(handler); }

    FramelessWidgetsHelper* framelessHelper() const { return m_frameless; }
    QWidget* titleBar() const { return m_titleBar; }
    QPushButton* minimizeButton() const { return m_minButton; }
    QPushButton* maximizeButton() const { return m_maxButton; }
    QPushButton* closeButton() const { return m_closeButton; }

public slots:
    void onClick();

protected:
    virtual QSize defaultWindowSize();
    virtual bool canClose(QCloseEvent* event);
    virtual void onClose();
    // Called on each show, themed and before the window is placed: a window whose size follows
    // its content fits it here.
    virtual void prepareToShow();

    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect availableScreenGeometry() const;

    FramelessWidgetsHelper* m_frameless = nullptr;
    QVBoxLayout* m_rootLayout = nullptr;
    QWidget* m_titleBar = nullptr;
    QHBoxLayout* m_titleBarLayout = nullptr;
    QWidget* m_separator = nullptr;
    QLabel* m_iconLabel = nullptr;
    QLabel* m_titleLabel = nullptr;
    QWidget* m_customArea = nullptr;
    QPushButton* m_minButton = nullptr;
    QPushButton* m_maxButton = nullptr;
    QPushButton* m_closeButton = nullptr;
    QWidget* m_contentHost = nullptr;
    std::function<bool()> m_closeRequestHandler;
    std::function<void()> m_closedHandler;
    bool m_centreWhenExposed = false;
};

// Puts `widget` as the only content of `host`: whatever the host's layout held is detached (not
// deleted, its owner keeps it) and the widget goes into a fresh stacked layout without margins.
void setStackedContent(QWidget* host, QWidget* widget);

} // namespace OV
