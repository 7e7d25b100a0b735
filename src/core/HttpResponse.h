#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace OV {

// The outcome of one HttpClient request: exactly one of the two signals is emitted, once.
// It is deleted shortly after; receivers must not keep the pointer.
class HttpResponse : public QObject
{
    Q_OBJECT
public:
    explicit HttpResponse(QObject* parent = nullptr) : QObject(parent) {}

    // Emits the matching signal unless the request has already reported; true when it did.
    bool reportSuccess(const QByteArray& data);
    bool reportError(const QString& message);
    bool hasReported() const { return m_reported; }

signals:
    void success(const QByteArray& data);
    void error(const QString& message);

private:
    bool m_reported = false;
};

} // namespace OV
