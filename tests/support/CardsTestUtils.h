#pragma once

#include <QByteArray>
#include <QPoint>
#include <QString>

#include <cstdint>

namespace OV {
class KestrinDragWidget;
class KestrinDeviceScreenUI;
} // namespace OV

namespace OV::Test {

class StandinHub;

// Presses the left button on the widget and moves it by the drag distance, as a user starting
// a drag does; returns the payload the drag carried (empty when no drag started).
QByteArray dragPayload(KestrinDragWidget* widget, int distance = -1);

// Drops the bytes under the MIME type onto the strip at the point (strip coordinates).
void dropOnStrip(KestrinDeviceScreenUI* strip, const QByteArray& payload, QPoint pos,
                 const QString& mimeType = QStringLiteral("application/kestrin-widget"));

// Lets the event loop run and lays the strip out, so card geometries are current.
void settleStrip(KestrinDeviceScreenUI* strip);

// Makes a session with the stand-in the process-wide project manager's current hub and waits
// until it is ready.
bool connectStandinHub(StandinHub& hub);

// Installs a widget plug-in into the open project of the process-wide manager from a package
// holding config.json with the buttons and one icon "icons/key.png"; returns its record id.
int64_t installTestPlugin(const QString& uuid, const QString& name, const QByteArray& buttonsJson,
                          const QString& workDir);

} // namespace OV::Test
