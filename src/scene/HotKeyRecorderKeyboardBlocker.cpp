#include "scene/HotKeyRecorderKeyboardBlocker.h"

#include <QCoreApplication>
#include <QEvent>

namespace OV {

HotKeyRecorderKeyboardBlocker::HotKeyRecorderKeyboardBlocker(QObject* parent) : QObject(parent) {}

HotKeyRecorderKeyboardBlocker::~HotKeyRecorderKeyboardBlocker()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool HotKeyRecorderKeyboardBlocker::eventFilter(QObject* watched, QEvent* event)
{
    if (m_enabled && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease))
        return true;
    return QObject::eventFilter(watched, event);
}

} // namespace OV
