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
    return m_failure.isEmpty() ? std::exchange(m_body, {}) : QByteArray();
}

void ReplyBodyReader::checkDeclaredLength()
{
    bool ok = false;
    const qint64 declared = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&ok);
    if (ok && declared > m_maxBytes)
        refuse();
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
