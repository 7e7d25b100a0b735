#include "module/ModuleProductNames.h"

namespace OV {

QString ModuleProductNames::modelName(uint64_t productId)
{
    switch (productId) {
    case 0x10000001:
        return tr("Pipwick");
    case 0x10000002:
        return tr("Rollane");
    case 0x10000003:
        return tr("Pellora");
    case 0x10000004:
        return tr("Thessa");
    case 0x10000005:
        return tr("Wakerin");
    default:
        return {};
    }
}

QString ModuleProductNames::typeName(uint64_t productId)
{
    switch (productId) {
    case 0x10000001:
        return QStringLiteral("PIPWICK");
    case 0x10000002:
        return QStringLiteral("ROLLANE");
    case 0x10000003:
        return QStringLiteral("PELLORA");
    case 0x10000004:
        return QStringLiteral("THESSA");
    case 0x10000005:
        return QStringLiteral("WAKERIN");
    default:
        return {};
    }
}

} // namespace OV
