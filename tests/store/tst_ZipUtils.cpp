#include "core/ZlibUtils.h"
#include "store/ZipUtils.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;

namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestZipUtils : public QObject
{
    Q_OBJECT
private slots:
    // The corpus (make_corpus.py beside it) is also the fuzzer's seed set.
    void corpusReplay()
    {
        const QDir corpus(QStringLiteral(ORVEL_TEST_DATA_DIR "/store/zip_corpus"));
        const QStringList files = corpus.entryList({QStringLiteral("*.zip")}, QDir::Files);
        QVERIFY(files.size() >= 30);
        for (const QString& file : files) {
            const QByteArray zip = readBytes(corpus.filePath(file));
            const bool valid = file.startsWith(QLatin1String("valid-"));
            QVERIFY2(readZipEntry(zip, QStringLiteral("config.json")).isEmpty() != valid, qPrintable(file));
            // Every cut of the archive is read without touching memory outside it.
            for (qsizetype cut = 0; cut < zip.size(); ++cut)
                readZipEntry(zip.left(cut), QStringLiteral("config.json"));
        }
    }

    void readsWhatOurWriterWrites()
    {
        QTemporaryDir tmp;
        const QByteArray config = R"({"name":"plugin","list":[1,2,3]})";
        QByteArray image;
        for (int i = 0; i < 5000; ++i)
            image.append(char(i * 7 % 251));
        const QList<QPair<QString, QByteArray>> files = {{QStringLiteral("config.json"), config},
                                                         {QStringLiteral("images/ä.png"), image},
                                                         {QStringLiteral("images/config.json"), "nested"},
                                                         {QStringLiteral("empty.txt"), {}}};
        for (const auto& [name, bytes] : files) {
            QDir().mkpath(QFileInfo(tmp.filePath(QStringLiteral("pkg/") + name)).absolutePath());
            QFile f(tmp.filePath(QStringLiteral("pkg/") + name));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        }
        for (int level : {0, 3, 9}) {
            const QString zipPath = tmp.filePath(QStringLiteral("pkg.zip"));
            QVERIFY(ZlibUtils::packToZip(tmp.filePath(QStringLiteral("pkg")), zipPath, ZlibUtils::DirectoryContents,
                                         level));
            const QByteArray zip = readBytes(zipPath);
            for (const auto& [name, bytes] : files)
                QCOMPARE(readZipEntry(zip, name), bytes);
            QVERIFY(readZipEntry(zip, QStringLiteral("Config.json")).isEmpty());
            QVERIFY(readZipEntry(zip, QStringLiteral("images")).isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestZipUtils)
#include "tst_ZipUtils.moc"
