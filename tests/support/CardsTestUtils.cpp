#include "support/CardsTestUtils.h"

#include "cards/KestrinDeviceScreenUI.h"
#include "cards/KestrinDragWidget.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QLayout>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>

namespace OV::Test {

QByteArray dragPayload(KestrinDragWidget* widget, int distance)
{
    QByteArray payload;
    KestrinDragWidget::setDragRunner([&payload](QDrag* drag) {
        payload = drag->mimeData()->data(QString::fromLatin1(KestrinDragWidget::kMimeType));
    });
    const QPoint start(5, 5);
    const QPoint end = start + QPoint(distance < 0 ? QApplication::startDragDistance() : distance, 0);
    QMouseEvent press(QEvent::MouseButtonPress, start, widget->mapToGlobal(start), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent move(QEvent::MouseMove, end, widget->mapToGlobal(end), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, end, widget->mapToGlobal(end), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
    KestrinDragWidget::setDragRunner({});
    return payload;
}

void dropOnStrip(KestrinDeviceScreenUI* strip, const QByteArray& payload, QPoint pos, const QString& mimeType)
{
    QMimeData mime;
    mime.setData(mimeType, payload);
    QDragEnterEvent enter(pos, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(strip, &enter);
    QDropEvent drop(QPointF(pos), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(strip, &drop);
    settleStrip(strip);
}

void settleStrip(KestrinDeviceScreenUI* strip)
{
    QCoreApplication::processEvents();
    strip->layout()->activate();
    QCoreApplication::processEvents();
}

} // namespace OV::Test
