#include "core/ReplyBodyReader.h"

#include "core/Logger.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace OV {

namespace {
constexpr const char* kTag = "ReplyBodyReader";
}

ReplyBodyReader::ReplyBodyReader(QNetworkReply* reply, qint64 maxBytes)
    : QObject(reply), m_reply(reply), m_maxBytes(maxBytes)
{
    // Qt then stops reading from the peer while this much is waiting, so taking the data as it
    // comes is what keeps the whole within the bound.
    reply->setReadBufferSize(kReadBufferBytes);
    connect(reply, &QNetworkReply::metaDataChanged, this, &ReplyBodyReader::checkDeclaredLength);
    connect(reply, &QNetworkReply::readyRead, this, &ReplyBodyReader::readAvailable);
}

QString ReplyBodyReader::tooLargeText(qint64 maxBytes)
{
    return QStringLiteral("Reply too large (more than %1 bytes)").arg(maxBytes);
}

QByteArray ReplyBodyReader::takeBody()
{
    readAvailable();
    if (!m_failure.isEmpty())
        return {};
    m_body.squeeze();
    return std::exchange(m_body, {});
}

void ReplyBodyReader::checkDeclaredLength()
{
    bool ok = false;
    const qint64 declared = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&ok);
    if (ok && declared > m_maxBytes)
        refuse();
    else if (ok)
        m_declared = declared;
}

void ReplyBodyReader::readAvailable()
{
    if (!m_failure.isEmpty())
        return;
    const qint64 available = m_reply->bytesAvailable();
    if (available <= 0)
        return;
    if (available > m_maxBytes - m_body.size()) {
        refuse();
        return;
    }
    // Room for the whole body at once: growing step by step copies it each time, and the blocks it
    // leaves behind would stay resident. Pages not yet written take no memory, so an unsized
    // body that turns out small costs address space only.
    if (m_body.capacity() == 0)
        m_body.reserve(m_declared > 0 ? m_declared : m_maxBytes);
    m_body += m_reply->read(available);
}

void ReplyBodyReader::refuse()
{
    if (!m_failure.isEmpty())
        return;
    m_failure = tooLargeText(m_maxBytes);
    m_body.clear();
    m_body.squeeze();
    Logger::warn(kTag, "%s: %s", qUtf8Printable(m_reply->url().toDisplayString()), qUtf8Printable(m_failure));
    // The reply's finished handler runs within this call and finds the failure set.
    if (m_reply->isRunning())
        m_reply->abort();
}

} // namespace OV
