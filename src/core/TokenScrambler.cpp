#include "core/TokenScrambler.h"

#include <QCryptographicHash>

namespace OV {

namespace {

QByteArray xorWithKey(QByteArray bytes)
{
    const QByteArray key = tokenKey();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ key[i % key.size()]);
    return bytes;
}

} // namespace

QByteArray tokenKey()
{
    // Changing any piece makes every stored token unreadable.
    QByteArray material;
    material.append("Brelvik");
    material.append("-kestrin-");
    material.append("pairing");
    material.append(".token.");
    material.append("v1:orvel");
    return QCryptographicHash::hash(material, QCryptographicHash::Sha256);
}

QString encodeToken(const QString& token)
{
    if (token.isEmpty())
        return {};
    return QString::fromLatin1(xorWithKey(token.toUtf8()).toBase64());
}

QString decodeToken(const QString& stored)
{
    if (stored.isEmpty())
        return {};
    return QString::fromUtf8(xorWithKey(QByteArray::fromBase64(stored.toLatin1())));
}

} // namespace OV
