#pragma once

#include <QByteArray>
#include <QPoint>
#include <QString>

namespace OV {
class KestrinDragWidget;
class KestrinDeviceScreenUI;
} // namespace OV

namespace OV::Test {

// Presses the left button on the widget and moves it by the drag distance, as a user starting
// a drag does; returns the payload the drag carried (empty when no drag started).
QByteArray dragPayload(KestrinDragWidget* widget, int distance = -1);

// Drops the bytes under the MIME type onto the strip at the point (strip coordinates).
void dropOnStrip(KestrinDeviceScreenUI* strip, const QByteArray& payload, QPoint pos,
                 const QString& mimeType = QStringLiteral("application/kestrin-widget"));

// Lets the event loop run and lays the strip out, so card geometries are current.
void settleStrip(KestrinDeviceScreenUI* strip);

} // namespace OV::Test
