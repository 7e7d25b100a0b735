#include "project/ProjectDatabase.h"
#include "store/StoreFileUtils.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;

class TestStoreFileUtils : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QString fileOfSize(const char* name, qint64 size)
    {
        QFile file(m_dir.filePath(QString::fromLatin1(name)));
        return file.open(QIODevice::WriteOnly) && file.resize(size) ? file.fileName() : QString();
    }

private slots:
    void storesFilesUpToTheLimit()
    {
        ProjectDatabase db;
        QVERIFY(db.open(m_dir.filePath(QStringLiteral("p.ovpf")), true, QStringLiteral("sql_cn_store")).isOk());
        JsonStoreRecord owner;
        owner.type = QStringLiteral("plugin");
        QVERIFY(db.insert(owner).isOk());

        const QString atLimit = fileOfSize("limit.zip", kStoreFileLimit);
        const BaseResult<QByteArray> stored = storeFileWithLimit(db, owner.id, QStringLiteral("pack"), atLimit);
        QVERIFY2(stored.isOk(), qPrintable(stored.message));
        QCOMPARE(stored.data->size(), kStoreFileLimit);
        QCOMPARE(*db.loadFile(owner.id, QStringLiteral("pack")).data, *stored.data);

        const QString empty = fileOfSize("empty.zip", 0);
        QVERIFY(storeFileWithLimit(db, owner.id, QStringLiteral("pack"), empty).isOk());
        QCOMPARE(db.loadFile(owner.id, QStringLiteral("pack")).data->size(), 0);

        const QString over = fileOfSize("over.zip", kStoreFileLimit + 1);
        const auto tooBig = storeFileWithLimit(db, owner.id, QStringLiteral("pack"), over);
        QCOMPARE(tooBig.code(), 2004);
        QCOMPARE(tooBig.message, QStringLiteral("File size exceeds limit, filePath:") + over);

        for (const QString& path : {m_dir.filePath(QStringLiteral("missing.zip")), m_dir.path(), QString()}) {
            const auto missing = storeFileWithLimit(db, owner.id, QStringLiteral("pack"), path);
            QCOMPARE(missing.code(), 3001);
            QCOMPARE(missing.message, QStringLiteral("filePath:") + path);
        }
        QCOMPARE(db.loadFile(owner.id, QStringLiteral("pack")).data->size(), 0);

        // A file whose content does not match its size (here one that reports size 0) is refused.
        const QString proc = QStringLiteral("/proc/self/status");
        const auto changing = storeFileWithLimit(db, owner.id, QStringLiteral("pack"), proc);
        QCOMPARE(changing.code(), 3002);
        QCOMPARE(changing.message, QStringLiteral("Read file error, filePath:") + proc);

        // A database failure comes back unchanged.
        const auto orphan = storeFileWithLimit(db, owner.id + 100, QStringLiteral("pack"), empty);
        QCOMPARE(orphan.code(), 2002);
        QVERIFY(orphan.message.contains(QLatin1String("FOREIGN KEY")));
    }
};

QTEST_GUILESS_MAIN(TestStoreFileUtils)
#include "tst_StoreFileUtils.moc"
