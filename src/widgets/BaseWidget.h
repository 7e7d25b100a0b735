#pragma once

#include <QPixmap>
#include <QPoint>
#include <QWidget>

#include <functional>

namespace OV {

class ThemeLoader;

// The base of most widgets: styled from the theme, clickable (a press and a release within the
// drag distance), optionally selectable, with an optional rounded background picture.
class BaseWidget : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool selected READ isSelected WRITE setSelected)
    Q_PROPERTY(bool selectable READ isSelectable WRITE setSelectable)
public:
    explicit BaseWidget(QWidget* parent = nullptr);

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    bool isSelectable() const { return m_selectable; }
    void setSelectable(bool selectable);
    bool isToggleable() const { return m_toggleable; }
    void setToggleable(bool toggleable) { m_toggleable = toggleable; }

    // Called with true when the left button goes down on the widget and with false when it comes up.
    void setPressedCallback(std::function<void(bool)> callback) { m_pressedCallback = std::move(callback); }

    void setBackgroundImage(const QString& url);
    void setBackgroundPixmap(const QPixmap& pixmap);
    QPixmap backgroundPixmap() const { return m_background; }
    void setBorderRadius(int radius);
    void setBackgroundMargin(int margin);
    void setOpacity(float opacity);

signals:
    void clicked();
    void selectedChanged(bool selected);

public slots:
    void applyTheme();
    bool hitClickableChild(QPoint pos);

protected:
    virtual void onThemeChanged(ThemeLoader* loader);
    virtual void onClicked();
    virtual void onSelectedChanged(bool selected);
    virtual void onPressedChanged(bool pressed);

    // Still true until the first show has applied the theme.
    bool isThemePending() const { return m_themePending; }
    // Applies the theme now if no show has yet.
    void applyPendingTheme();

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void setPressedProperty(bool pressed);

    std::function<void(bool)> m_pressedCallback;
    bool m_themePending = true;
    bool m_selected = false;
    bool m_selectable = true;
    bool m_toggleable = true;
    int m_borderRadius = 0;
    int m_backgroundMargin = 0;
    QPixmap m_background;
    QPoint m_pressPos;
    bool m_pressActive = false;
    // Numbers the background requests: a reply is used only while it answers the latest one.
    quint64 m_backgroundRequest = 0;
};

} // namespace OV
