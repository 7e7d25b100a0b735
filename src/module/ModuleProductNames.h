#pragma once

#include <QCoreApplication>
#include <QString>

#include <cstdint>

namespace OV {

// The names under which the modules are shown: the model name ("Pipwick") in lists and
// titles, the type name ("PIPWICK") in the details. An unknown product has no name.
class ModuleProductNames
{
    Q_DECLARE_TR_FUNCTIONS(ModuleProductNames)
public:
    static QString modelName(uint64_t productId);
    static QString typeName(uint64_t productId);
};

} // namespace OV
