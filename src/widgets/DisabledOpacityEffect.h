#pragma once

#include <QGraphicsOpacityEffect>

class QWidget;

namespace OV {

// Draws its widget at a lower opacity while the widget is disabled, whichever way it became
// so: disabled itself, made under a disabled parent, or with a parent that was disabled later.
class DisabledOpacityEffect : public QGraphicsOpacityEffect
{
    Q_OBJECT
public:
    // Becomes the widget's graphics effect (the widget owns it).
    explicit DisabledOpacityEffect(QWidget* widget, qreal disabledOpacity = 0.4);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow();

    QWidget* m_widget;
    qreal m_disabledOpacity;
};

} // namespace OV
