#pragma once

#include "core/EventBusMessage.h"

#include <QObject>

namespace OV {

// Process-wide publisher of named events; subscribers compare the topic themselves.
class EventBus : public QObject
{
    Q_OBJECT
public:
    static EventBus* instance();

    void publish(QSharedPointer<EventBusMessage> message);

    // Registers the cross-thread name of the message type; start-up calls it once.
    static void registerMetaType();

signals:
    void messagePosted(QSharedPointer<OV::EventBusMessage> message);

private:
    EventBus() = default;
};

} // namespace OV
