#include "support/ProjectTestUtils.h"

#include <QDirIterator>
#include <QFile>

#include <exception>

namespace OV::Test {

JsonStoreRecord projectRecord(const char* type, const QString& columns, const QString& k1, const QString& k2)
{
    JsonStoreRecord record;
    record.id = 7;
    record.type = QString::fromLatin1(type);
    record.columns = columns;
    record.k1 = k1;
    record.k2 = k2;
    return record;
}

QString thrownText(const std::function<void()>& call)
{
    try {
        call();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList treeOf(const QString& folder)
{
    QStringList paths;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << it.next().mid(folder.size() + 1);
    paths.sort();
    return paths;
}

} // namespace OV::Test
