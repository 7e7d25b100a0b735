// ORVEL_TEST_LABELS: threads
#include "core/WorkerThreads.h"
#include "project/ProjectDatabase.h"
#include "project/ProjectDbPluginBean.h"
#include "project/ProjectPluginUseCase.h"
#include "store/MainUtils.h"
#include "store/StoreUtils.h"
#include "store/ZipUtils.h"
#include "support/ProjectTestUtils.h"
#include "support/TestSetup.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

using namespace OV;

namespace {

const QString kCorpus = QStringLiteral(ORVEL_TEST_DATA_DIR "/store/package_corpus");
using Test::treeOf;

} // namespace

class TestPluginPackage : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_root;
    std::shared_ptr<ProjectDatabase> m_db;
    std::shared_ptr<ProjectPluginUseCase> m_plugins;

    // A stored plug-in record with the package as its "pack".
    std::shared_ptr<ProjectDbPluginBean> stored(const QString& uuid, const QByteArray& pack)
    {
        auto bean = std::make_shared<ProjectDbPluginBean>();
        bean->k1 = uuid;
        bean->k2 = QStringLiteral("0");
        bean->versionCode = 1;
        if (!m_plugins->insertOrUpdate(*bean).isOk())
            return {};
        if (!m_db->saveFile(bean->id, QStringLiteral("pack"), pack).isOk() ||
            !m_db->saveFile(bean->id, QStringLiteral("icon"), Test::solidPng(Qt::red, 8, 8)).isOk())
            return {};
        return bean;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_root = m_dir.filePath(QStringLiteral("plugin"));
        QVERIFY(QDir().mkpath(m_root));
        MainUtils::setPluginRoot(m_root);
        m_db = std::make_shared<ProjectDatabase>();
        QVERIFY(m_db->open(m_dir.filePath(QStringLiteral("p.ovpf")), true, QStringLiteral("sql_cn_package")).isOk());
        m_plugins = std::make_shared<ProjectPluginUseCase>(m_db, m_root);
    }

    void init()
    {
        QDir(m_root).removeRecursively();
        QVERIFY(QDir().mkpath(m_root));
    }

    void corpus_data()
    {
        QTest::addColumn<QString>("file");
        const QStringList files = QDir(kCorpus).entryList({QStringLiteral("*.zip")}, QDir::Files);
        QVERIFY(files.size() >= 40);
        for (const QString& file : files)
            QTest::newRow(qPrintable(file)) << file;
    }

    // Every hostile package is refused whole by the check and by both unpackers, and nothing
    // new appears anywhere near the target; every valid one unpacks to exactly its members.
    void corpus()
    {
        QFETCH(QString, file);
        const QByteArray zip = Test::fileBytes(kCorpus + QLatin1Char('/') + file);
        const bool valid = file.startsWith(QLatin1String("valid-"));
        QTemporaryDir work;
        const QString parent = work.filePath(QStringLiteral("a/b"));
        QVERIFY(QDir().mkpath(parent));
        const QString target = parent + QStringLiteral("/target");

        QString why;
        QCOMPARE(verifyPackage(zip, &why), valid);
        QCOMPARE(unzipToDirectory(zip, target, &why), valid);
        if (!valid) {
            QVERIFY(!why.isEmpty());
            QCOMPARE(treeOf(work.path()), QStringList({QStringLiteral("a"), QStringLiteral("a/b")}));
            QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/orvel-evil.txt")));
            const BaseResult<void> unpacked = MainUtils::unpackPlugin(QStringLiteral("u1"), zip);
            QCOMPARE(unpacked.code(), 3003);
            QCOMPARE(unpacked.message, QStringLiteral("unzip plugin error"));
            QVERIFY(treeOf(m_root).isEmpty());
            return;
        }
        // Files hold what the reader gives for their names; folders are made.
        for (const QString& path : treeOf(target)) {
            const QString full = target + QLatin1Char('/') + path;
            if (QFileInfo(full).isFile())
                QCOMPARE(Test::fileBytes(full), readZipEntry(zip, path));
        }
        QVERIFY(MainUtils::unpackPlugin(QStringLiteral("u1"), zip).isOk());
        QVERIFY(MainUtils::isPluginUnpacked(QStringLiteral("u1"), zip));
        QStringList expected = treeOf(target);
        expected = QStringList{QStringLiteral("u1")} + expected;
        for (qsizetype i = 1; i < expected.size(); ++i)
            expected[i] = QStringLiteral("u1/") + expected[i];
        expected << QStringLiteral("u1/") + QLatin1String(MainUtils::kMarkerFileName);
        expected.sort();
        QCOMPARE(treeOf(m_root), expected);

        // Every cut of a valid package short of its zero padding is refused without leaving anything.
        QDir(target).removeRecursively();
        qsizetype whole = zip.size();
        while (zip.at(whole - 1) == '\0')
            --whole;
        for (qsizetype cut = 0; cut < whole; cut += qMax<qsizetype>(1, zip.size() / 97)) {
            QVERIFY2(!unzipToDirectory(zip.left(cut), target), qPrintable(QString::number(cut)));
            QVERIFY(!QFileInfo::exists(target));
        }
    }

    // Inputs the fuzzer kept (it found no fault): the check and the unpacker agree, and nothing
    // is written beside the target.
    void fuzzCorpus()
    {
        const QDir corpus(kCorpus + QStringLiteral("/fuzz"));
        const QStringList files = corpus.entryList(QDir::Files);
        QVERIFY(files.size() >= 50);
        QTemporaryDir work;
        const QString target = work.filePath(QStringLiteral("target"));
        for (const QString& file : files) {
            const QByteArray zip = Test::fileBytes(corpus.filePath(file));
            const bool unpacked = unzipToDirectory(zip, target);
            QVERIFY2(verifyPackage(zip) == unpacked, qPrintable(file));
            const QStringList left =
                QDir(work.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
            QCOMPARE(left, unpacked ? QStringList{QStringLiteral("target")} : QStringList());
            QVERIFY(QDir(target).removeRecursively());
        }
    }

    // The folder counts as unpacked only for the package it came from: a second unpack of it
    // does nothing, another package replaces it, a folder without marker is replaced too, and
    // no sibling is left behind.
    void unpackKeepsOrReplacesByPackage()
    {
        const QByteArray first = Test::fileBytes(kCorpus + QStringLiteral("/valid-package.zip"));
        const QByteArray second = Test::fileBytes(kCorpus + QStringLiteral("/valid-empty-members.zip"));
        const QString folder = m_root + QStringLiteral("/u2");
        QVERIFY(MainUtils::unpackPlugin(QStringLiteral("u2"), first).isOk());
        QVERIFY(Test::writeFileBytes(folder + QStringLiteral("/sentinel"), "s"));
        QVERIFY(MainUtils::unpackPlugin(QStringLiteral("u2"), first).isOk());
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("/sentinel")));
        QVERIFY(!MainUtils::isPluginUnpacked(QStringLiteral("u2"), second));
        QVERIFY(MainUtils::unpackPlugin(QStringLiteral("u2"), second).isOk());
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/sentinel")));
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("/empty-deflated.txt")));

        // Half-written by an older program: files but no marker; and a sibling a crash left.
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(Test::writeFileBytes(folder + QStringLiteral("/config.json"), "{}"));
        QVERIFY(QDir().mkpath(m_root + QStringLiteral("/.u2.unpacking-crashed/icons")));
        QVERIFY(!MainUtils::isPluginUnpacked(QStringLiteral("u2"), first));
        QVERIFY(MainUtils::unpackPlugin(QStringLiteral("u2"), first).isOk());
        QCOMPARE(QDir(m_root).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("u2")});
        QCOMPARE(Test::fileBytes(folder + QStringLiteral("/config.json")), readZipEntry(first, "config.json"));

        // A refused package leaves no folder, also where a good one was.
        const QByteArray hostile = Test::fileBytes(kCorpus + QStringLiteral("/hostile-crc-late.zip"));
        QCOMPARE(MainUtils::unpackPlugin(QStringLiteral("u2"), hostile).code(), 3003);
        QVERIFY(treeOf(m_root).isEmpty());
        for (const char* uuid : {"", ".", "..", "a/b", "../u"})
            QCOMPARE(MainUtils::unpackPlugin(QString::fromLatin1(uuid), first).code(), 1002);
        QVERIFY(treeOf(m_dir.path() + QStringLiteral("/plugin")).isEmpty());
    }

    // What cut-off unpacks and removals left goes with the plug-in's next unpack, and at start
    // for every plug-in; another plug-in's siblings ("u7.x" beside "u7") and other names stay.
    void leftoversGoPerPluginAndAtStart()
    {
        const QByteArray pack = Test::fileBytes(kCorpus + QStringLiteral("/valid-package.zip"));
        const QStringList left = {QStringLiteral(".gone.old-B1"), QStringLiteral(".u7.unpacking-A1"),
                                  QStringLiteral(".u7.x.unpacking-C1"), QStringLiteral(".u7.unpacking-")};
        for (const QString& name : left) {
            QVERIFY(QDir().mkpath(m_root + QLatin1Char('/') + name + QStringLiteral("/d")));
            QVERIFY(Test::writeFileBytes(m_root + QLatin1Char('/') + name + QStringLiteral("/d/f"), "x"));
        }
        QVERIFY(MainUtils::unpackPlugin(QStringLiteral("u7"), pack).isOk());
        const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
        QCOMPARE(QDir(m_root).entryList(all), QStringList({left[0], left[3], left[2], QStringLiteral("u7")}));
        MainUtils::removeUnpackLeftovers();
        WorkerThreads::waitAll();
        QCOMPARE(QDir(m_root).entryList(all), QStringList({left[3], QStringLiteral("u7")}));
        QVERIFY(MainUtils::isPluginUnpacked(QStringLiteral("u7"), pack));
    }

    // Unpacks of one uuid run one at a time: all succeed, one folder results.
    void concurrentUnpacksOfOneUuid()
    {
        const QByteArray pack = Test::fileBytes(kCorpus + QStringLiteral("/valid-nested-and-comment.zip"));
        std::atomic<int> succeeded{0};
        std::vector<std::thread> workers;
        for (int i = 0; i < 6; ++i) {
            workers.emplace_back([&] {
                if (MainUtils::unpackPlugin(QStringLiteral("u3"), pack).isOk())
                    ++succeeded;
            });
        }
        for (std::thread& worker : workers)
            worker.join();
        QCOMPARE(succeeded.load(), 6);
        QCOMPARE(QDir(m_root).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("u3")});
        QVERIFY(MainUtils::isPluginUnpacked(QStringLiteral("u3"), pack));
    }

    // The worker gets the package read from the project; its result reaches the GUI thread
    // only while the guard lives; an unpacked plug-in answers at once.
    void asyncUnpackFromTheProject()
    {
        const auto bean = stored(QStringLiteral("u4"), Test::fileBytes(kCorpus + QStringLiteral("/valid-package.zip")));
        QVERIFY(bean);
        QVERIFY(!MainUtils::isPluginUnpacked(*m_plugins, *bean));
        int calls = 0;
        auto* gone = new QObject;
        MainUtils::asyncUnpackPlugin(*m_plugins, *bean, gone, [&](const BaseResult<void>&) { ++calls; });
        delete gone;
        QObject alive;
        BaseResult<void> result(Errors::Unknown);
        MainUtils::asyncUnpackPlugin(*m_plugins, *bean, &alive, [&](const BaseResult<void>& r) {
            QCOMPARE(QThread::currentThread(), qApp->thread());
            result = r;
            ++calls;
        });
        QTRY_COMPARE(calls, 1);
        QTest::qWait(100);
        QCOMPARE(calls, 1);
        QVERIFY(result.isOk());
        QVERIFY(MainUtils::isPluginUnpacked(*m_plugins, *bean));
        MainUtils::asyncUnpackPlugin(*m_plugins, *bean, &alive, [&](const BaseResult<void>&) { ++calls; });
        QCOMPARE(calls, 2);

        ProjectDbPluginBean missing;
        missing.id = 999;
        missing.k1 = QStringLiteral("u5");
        MainUtils::asyncUnpackPlugin(*m_plugins, missing, &alive, [&](const BaseResult<void>& r) { result = r; });
        QCOMPARE(result.code(), 2003);
    }

    // Uninstall removes the record, its "pack" and "icon", then the folder.
    void uninstall()
    {
        const auto bean = stored(QStringLiteral("u6"), Test::fileBytes(kCorpus + QStringLiteral("/valid-package.zip")));
        QVERIFY(bean);
        QVERIFY(!MainUtils::loadPluginIcon(*m_plugins, *bean).isNull());
        QVERIFY(MainUtils::unpackPlugin(bean->k1, *MainUtils::loadPluginPack(*m_plugins, *bean).data).isOk());
        QVERIFY(MainUtils::uninstallPlugin(*m_plugins, *bean).isOk());
        QVERIFY(!*m_plugins->findFirst(QStringLiteral("u6")).data);
        QCOMPARE(m_db->findAllFileName(bean->id).data->size(), size_t(0));
        QVERIFY(!QFileInfo::exists(m_root + QStringLiteral("/u6")));
        QVERIFY(MainUtils::loadPluginIcon(*m_plugins, *bean).isNull());
        QCOMPARE(MainUtils::uninstallPlugin(*m_plugins, *bean).code(), 2006);
    }

    // "file://" images stay inside the plug-in's folder and are found there ignoring letter case
    // and Unicode form; the picture is cropped.
    void pluginImages_data()
    {
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QSize>("size");
        QTest::newRow("lower") << "file://icons/one.png" << QSize(4, 4);
        QTest::newRow("capital prefix and path") << "  FILE://Icons/One.PNG " << QSize(4, 4);
        QTest::newRow("mixed case on disk") << "file://Pics/Mixed.png" << QSize(4, 4);
        QTest::newRow("other case on disk") << "file://pics/MIXED.png" << QSize(4, 4);
        QTest::newRow("other form and case on disk") << "file://pics/CAFE\xcc\x81.png" << QSize(4, 4);
        QTest::newRow("other form on disk, other case") << "file://other/caf\xc3\x89.png" << QSize(4, 4);
        QTest::newRow("parent") << "file://../u7b/icons/one.png" << QSize(0, 0);
        QTest::newRow("deep parent") << "file://icons/../../../secret.png" << QSize(0, 0);
        QTest::newRow("absolute") << "file:///etc/secret.png" << QSize(0, 0);
        QTest::newRow("empty segment") << "file://icons//one.png" << QSize(0, 0);
        QTest::newRow("missing") << "file://icons/none.png" << QSize(0, 0);
        QTest::newRow("resource") << ":/image/image_load_error.png" << QSize(1, 1);
    }

    void pluginImages()
    {
        QFETCH(QString, reference);
        QFETCH(QSize, size);
        QImage image(8, 8, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        for (int x = 2; x < 6; ++x)
            for (int y = 2; y < 6; ++y)
                image.setPixelColor(x, y, Qt::blue);
        for (const char* path : {"u7/icons/one.png", "u7/Pics/Mixed.png", "u7/Pics/Caf\xc3\xa9.png",
                                 "u7/Other/CAFE\xcc\x81.png", "u7b/icons/one.png", "secret.png"}) {
            QVERIFY(QDir().mkpath(QFileInfo(m_root + QLatin1Char('/') + QString::fromUtf8(path)).path()));
            QVERIFY(image.save(m_root + QLatin1Char('/') + QString::fromUtf8(path)));
        }
        int calls = 0;
        QPixmap got;
        MainUtils::asyncLoadPluginImage(QStringLiteral("u7"), reference, [&](const QPixmap& p) {
            got = p;
            ++calls;
        });
        QTRY_COMPARE(calls, 1);
        // (1, 1) stands for any picture.
        if (size == QSize(1, 1))
            QVERIFY(!got.isNull());
        else
            QCOMPARE(got.size(), size);
    }

    void wrapInContainer()
    {
        QWidget parent;
        auto* label = new QLabel(QStringLiteral("x"));
        QWidget* container = OV::wrapInContainer(&parent, label, 1, 2, 3, 4);
        QCOMPARE(container->parentWidget(), &parent);
        QCOMPARE(label->parentWidget(), container);
        QCOMPARE(container->layout()->contentsMargins(), QMargins(1, 2, 3, 4));
        QCOMPARE(container->layout()->indexOf(label), 0);
    }
};

QTEST_MAIN(TestPluginPackage)
#include "tst_PluginPackage.moc"
