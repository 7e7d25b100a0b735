// The screen cube's package: its config.json, its button images and the archive the hub gets.

#include "core/AppDirs.h"
#include "device/DeviceImage.h"
#include "module/PelloraDeployData.h"
#include "project/ProjectDatabase.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectImageUtils.h"
#include "project/ProjectModuleUseCase.h"
#include "support/ProjectTestUtils.h"

#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;
using json = nlohmann::json;

class TestPelloraPackage : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::shared_ptr<ProjectDatabase> m_db;
    std::shared_ptr<ProjectModuleUseCase> m_modules;

    std::shared_ptr<ProjectDbModuleBean> cube(const json& data)
    {
        auto bean = std::make_shared<ProjectDbModuleBean>();
        bean->productId = ProjectModuleUseCase::kPelloraProductId;
        bean->gatewayType = QStringLiteral("can");
        bean->sn = QStringLiteral("PL-%1").arg(QTest::currentDataTag() ? QTest::currentDataTag() : "x");
        bean->data = data;
        if (!m_modules->insert(*bean).isOk())
            return nullptr;
        return bean;
    }

    static QPixmap picture(int w, int h, QColor color)
    {
        QPixmap pixmap(w, h);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.fillRect(0, 0, w, h / 2, color);
        return pixmap;
    }

    static json button(int id, const char* uniqueId)
    {
        return {{"uniqueId", uniqueId},
                {"id", id},
                {"name", "B"},
                {"type", 1},
                {"icon", QStringLiteral("widget/%1/rawIcon").arg(id).toStdString()},
                {"iconScalePercent", 60},
                {"iconUnpressed", QStringLiteral("widget/%1/unpressedIcon").arg(id).toStdString()},
                {"iconPressed", QStringLiteral("widget/%1/pressedIcon").arg(id).toStdString()}};
    }

private slots:
    void init()
    {
        m_db = std::make_shared<ProjectDatabase>();
        QVERIFY(m_db->open(m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + ".ovpf"), true,
                           QStringLiteral("sql_cn_default"))
                    .isOk());
        m_modules = std::make_shared<ProjectModuleUseCase>(m_db);
    }

    void cleanup()
    {
        m_modules.reset();
        m_db.reset();
    }

    void deployJson_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("nothing") << QByteArray("{}") << QByteArray(R"({"netConfig":{"password":"","ssid":""}})");
        QTest::newRow("no layers") << QByteArray(R"({"dataConfig":{},"netConfig":{"ssid":"Café","password":"p"}})")
                                   << QByteArray(R"({"dataConfig":{},"netConfig":{"password":"p","ssid":"Café"}})");
        QTest::newRow("first is fallback")
            << QByteArray(
                   R"({"dataConfig":{"layers":[{"id":2,"default":false},{"id":5,"default":false,"widgets":[]}]}})")
            << QByteArray(R"({"dataConfig":{"defaultLayer":2,"layers":[{"id":2,"items":[]},{"id":5,"items":[]}]},)"
                          R"("netConfig":{"password":"","ssid":""}})");
        QTest::newRow("last flagged wins")
            << QByteArray(R"({"dataConfig":{"layers":[{"id":1,"default":false},{"id":2,"default":true},)"
                          R"({"id":3,"default":true,"widgets":[{"id":301,"type":1}]}]}})")
            << QByteArray(R"({"dataConfig":{"defaultLayer":3,"layers":[{"id":1,"items":[]},{"id":2,"items":[]},)"
                          R"({"id":3,"items":[{"id":301,"type":1}]}]},"netConfig":{"password":"","ssid":""}})");
    }

    // Compact, keys sorted at every level, non-ASCII text as UTF-8 bytes.
    void deployJson()
    {
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, expected);
        auto bean = cube(json::parse(data.toStdString()));
        QVERIFY(bean);
        QString path = QStringLiteral("untouched");
        const BaseResult<json> built = buildPelloraDeployData(*m_modules, *bean, false, path);
        QVERIFY(built.isOk());
        QCOMPARE(QByteArray::fromStdString(built.data->dump()), expected);
        QCOMPARE(path, QStringLiteral("untouched"));
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("writeFiles");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("detail");
        const QByteArray toggle =
            R"({"dataConfig":{"layers":[{"id":1,"default":true,"widgets":[{"id":101,"type":2}]}]}})";
        QTest::newRow("toggle packed") << toggle << true << 1002 << QStringLiteral("unknown widget type: 2");
        QTest::newRow("toggle json only") << toggle << false << 0 << QString();
        QTest::newRow("widget without id")
            << QByteArray(R"({"dataConfig":{"layers":[{"id":1,"widgets":[{"type":1}]}]}})") << false << 1002
            << QString();
        QTest::newRow("layers not an array")
            << QByteArray(R"({"dataConfig":{"layers":{"id":1}}})") << false << 1002 << QString();
        QTest::newRow("layer id text") << QByteArray(R"({"dataConfig":{"layers":[{"id":"1"}]}})") << true << 1002
                                       << QString();
    }

    // Malformed stored data is a result, never an exception.
    void refusals()
    {
        QFETCH(QByteArray, data);
        QFETCH(bool, writeFiles);
        QFETCH(int, code);
        QFETCH(QString, detail);
        auto bean = cube(json::parse(data.toStdString()));
        QVERIFY(bean);
        QString path;
        const BaseResult<json> built = buildPelloraDeployData(*m_modules, *bean, writeFiles, path);
        QCOMPARE(built.code(), code);
        if (!detail.isEmpty())
            QCOMPARE(built.message, detail);
        QCOMPARE(
            formatResultMessage(built).startsWith(QLatin1String(code ? "Invalid argument, details: " : "No error")),
            true);
    }

    void otherProductsAreRefused()
    {
        ProjectDbModuleBean bean;
        bean.productId = ProjectModuleUseCase::kPipwickProductId;
        QString path;
        QCOMPARE(buildPelloraDeployData(*m_modules, bean, true, path).code(), 1001);
        QCOMPARE(refreshPelloraExtraConfig(*m_modules, bean).code(), 1001);
    }

    // Two layers, buttons with and without stored images: the archive holds config.json and two
    // device images per button, readable by tar and by Python.
    void packageFiles()
    {
        const json data = {{"netConfig", {{"ssid", "Desk"}, {"password", "secret"}}},
                           {"dataConfig",
                            {{"layers",
                              {{{"id", 1}, {"default", true}, {"widgets", {button(101, "a"), button(102, "b")}}},
                               {{"id", 2}, {"default", false}, {"widgets", {button(201, "c")}}},
                               {{"id", 3}, {"default", false}, {"widgets", json::array()}}}}}}};
        auto bean = cube(data);
        QVERIFY(bean);
        const QPixmap unpressed = picture(144, 100, QColor(200, 30, 30));
        const QPixmap pressed = picture(115, 80, QColor(30, 200, 30));
        QVERIFY(m_db->saveFile(bean->id, QStringLiteral("widget/101/unpressedIcon"), pixmapToPng(unpressed)).isOk());
        QVERIFY(m_db->saveFile(bean->id, QStringLiteral("widget/101/pressedIcon"), pixmapToPng(pressed)).isOk());
        QVERIFY(m_db->saveFile(bean->id, QStringLiteral("widget/201/unpressedIcon"), pixmapToPng(unpressed)).isOk());

        QString path;
        const BaseResult<json> built = buildPelloraDeployData(*m_modules, *bean, true, path);
        QVERIFY2(built.isOk(), qPrintable(built.message));
        const QString buildDir = pelloraBuildDir(bean->id);
        QCOMPARE(path, buildDir + QStringLiteral(".tgz"));
        QVERIFY(path.endsWith(QStringLiteral("/pellora-build-%1/config.tgz").arg(bean->id)));
        QCOMPARE(Test::fileBytes(buildDir + "/config.json"), QByteArray::fromStdString(built.data->dump()));

        const QByteArray blank = QByteArray::fromHex("0400000000000000");
        QCOMPARE(Test::fileBytes(buildDir + "/com_res101/default.bin"), encodeDeviceImage(unpressed));
        QCOMPARE(Test::fileBytes(buildDir + "/com_res101/pressed.bin"), encodeDeviceImage(pressed));
        QCOMPARE(Test::fileBytes(buildDir + "/com_res102/default.bin"), blank);
        QCOMPARE(Test::fileBytes(buildDir + "/com_res201/pressed.bin"), blank);
        // Format 5 (alpha), width 144, height 100, then 3 bytes a pixel.
        const QByteArray header = Test::fileBytes(buildDir + "/com_res201/default.bin").left(8);
        QCOMPARE(header, QByteArray::fromHex("0540820cc0a80000"));

        const QStringList expected{"com_res101/", "com_res101/default.bin", "com_res101/pressed.bin",
                                   "com_res102/", "com_res102/default.bin", "com_res102/pressed.bin",
                                   "com_res201/", "com_res201/default.bin", "com_res201/pressed.bin",
                                   "config.json"};
        QProcess tar;
        tar.start(QStringLiteral("tar"), {QStringLiteral("tzf"), path});
        QVERIFY(tar.waitForFinished(10000));
        QCOMPARE(tar.exitCode(), 0);
        QStringList listed = QString::fromUtf8(tar.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        for (QString& name : listed)
            name.remove(QRegularExpression(QStringLiteral("^\\./")));
        listed.sort();
        QStringList files = expected.filter(QRegularExpression(QStringLiteral("[^/]$")));
        for (const QString& file : files)
            QVERIFY2(listed.contains(file), qPrintable(file));

        if (!QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty()) {
            QProcess python;
            python.start(QStringLiteral("python3"),
                         {QStringLiteral("-c"),
                          QStringLiteral("import sys,tarfile\nt=tarfile.open(sys.argv[1],'r:gz')\n"
                                         "print(t.extractfile('config.json').read().decode())"),
                          path});
            QVERIFY(python.waitForFinished(10000));
            QCOMPARE(python.exitCode(), 0);
            QCOMPARE(python.readAllStandardOutput().trimmed(), QByteArray::fromStdString(built.data->dump()));
        }
    }

    // Without layers nothing is packed, and an archive of an earlier build is gone.
    void noLayersLeavesNoArchive()
    {
        auto bean = cube(json::parse(R"({"dataConfig":{"layers":[{"id":1,"default":true}]}})"));
        QVERIFY(bean);
        QString path;
        const BaseResult<json> first = buildPelloraDeployData(*m_modules, *bean, true, path);
        QVERIFY2(first.isOk(), qPrintable(first.message));
        QVERIFY(QFile::exists(path));
        bean->data["dataConfig"]["layers"] = json::array();
        QVERIFY(buildPelloraDeployData(*m_modules, *bean, true, path).isOk());
        QVERIFY(path.isEmpty());
        QVERIFY(!QFile::exists(pelloraBuildDir(bean->id) + QStringLiteral(".tgz")));
    }

    void refreshStoresTheJson()
    {
        auto bean = cube({{"netConfig", {{"ssid", "a"}, {"password", "b"}}}});
        QVERIFY(bean);
        QVERIFY(refreshPelloraExtraConfig(*m_modules, *bean).isOk());
        const auto stored = m_modules->accessor->findById(bean->id);
        QCOMPARE((*stored.data)->extraConfig.dump(), std::string(R"({"netConfig":{"password":"b","ssid":"a"}})"));
        // A build failure leaves bean and record as they were.
        bean->data["dataConfig"] = {{"layers", "bad"}};
        QCOMPARE(refreshPelloraExtraConfig(*m_modules, *bean).code(), 1002);
        QCOMPARE(bean->extraConfig.dump(), std::string(R"({"netConfig":{"password":"b","ssid":"a"}})"));
    }
};

QTEST_MAIN(TestPelloraPackage)
#include "tst_PelloraPackage.moc"
