#include "core/Utils.h"

#include "core/JsonTextReader.h"

#include <QTextDocument>
#include <QUuid>

namespace OV {

QString createUuid()
{
    return QString::fromLatin1(
        QUuid::createUuid().toRfc4122().toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QString fromStdText(const std::string& text)
{
    return JsonTextReader::textFromUtf8(text.data(), text.data() + text.size());
}

QString plainToolTip(const QString& text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<p style='white-space:pre-wrap'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

bool jsonContainsPath(const nlohmann::json& value, const QStringList& keys)
{
    const nlohmann::json* current = &value;
    for (const QString& key : keys) {
        if (!current->is_object())
            return false;
        auto it = current->find(key.toStdString());
        if (it == current->end())
            return false;
        current = &*it;
    }
    return true;
}

} // namespace OV
