#pragma once

#include <QString>

#include <optional>

namespace OV {

// Optional equality conditions on the four key columns; an unset key adds no condition.
struct JsonStoreKeys
{
    std::optional<QString> k1;
    std::optional<QString> k2;
    std::optional<QString> k3;
    std::optional<QString> k4;
};

} // namespace OV
