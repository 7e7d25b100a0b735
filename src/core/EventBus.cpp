#include "core/EventBus.h"

#include <QMetaType>

namespace OV {

EventBus* EventBus::instance()
{
    static EventBus bus;
    return &bus;
}

void EventBus::publish(QSharedPointer<EventBusMessage> message)
{
    emit messagePosted(std::move(message));
}

void EventBus::registerMetaType()
{
    const QByteArray name = QMetaObject::normalizedType("QSharedPointer<OV::EventBusMessage>");
    const QMetaType type = QMetaType::fromType<QSharedPointer<EventBusMessage>>();
    if (name != type.name())
        QMetaType::registerNormalizedTypedef(name, type);
    else
        qRegisterMetaType<QSharedPointer<EventBusMessage>>();
}

} // namespace OV
