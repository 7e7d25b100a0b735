#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QNetworkReply;

namespace OV {

// Takes a reply's body as it arrives and holds at most maxBytes of it. A reply that declares a
// longer body, or sends one, is aborted at once: its finished handler then finds failure() set.
// So memory stays within the bound plus the reply's own read buffer, whatever the peer sends.
class ReplyBodyReader : public QObject
{
    Q_OBJECT
public:
    // What Qt may hold of the body beyond what was taken from it.
    static constexpr qint64 kReadBufferBytes = 256 << 10;

    // Made right after the request was sent; it becomes a child of the reply.
    ReplyBodyReader(QNetworkReply* reply, qint64 maxBytes);

    // Empty while the reply keeps within the bound; else what went wrong, for the caller to show.
    const QString& failure() const { return m_failure; }
    // The whole body, from the reply's finished handler.
    QByteArray takeBody();

    static QString tooLargeText(qint64 maxBytes);

private:
    void checkDeclaredLength();
    void readAvailable();
    void refuse();

    QNetworkReply* m_reply;
    qint64 m_maxBytes;
    qint64 m_declared = -1;
    QByteArray m_body;
    QString m_failure;
};

} // namespace OV
