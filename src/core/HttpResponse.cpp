#include "core/HttpResponse.h"

namespace OV {

bool HttpResponse::reportSuccess(const QByteArray& data)
{
    if (m_reported)
        return false;
    m_reported = true;
    emit success(data);
    return true;
}

bool HttpResponse::reportError(const QString& message)
{
    if (m_reported)
        return false;
    m_reported = true;
    emit error(message);
    return true;
}

} // namespace OV
