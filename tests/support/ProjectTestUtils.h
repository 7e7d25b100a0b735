#pragma once

#include "project/JsonStoreRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace OV::Test {

// A stored row of the given type (id 7) with the given columns text and keys.
JsonStoreRecord projectRecord(const char* type, const QString& columns, const QString& k1 = {}, const QString& k2 = {});

// The what() text of the exception a call throws; empty when it does not throw.
QString thrownText(const std::function<void()>& call);

QByteArray fileBytes(const QString& path);
bool writeFileBytes(const QString& path, const QByteArray& bytes);
// Every path below the folder, relative, sorted.
QStringList treeOf(const QString& folder);

} // namespace OV::Test
