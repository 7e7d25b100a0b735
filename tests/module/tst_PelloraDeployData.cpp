#include "module/PelloraDeployData.h"
#include "project/ProjectModuleUseCase.h"

#include <QTest>

#include <stdexcept>

using namespace OV;
using json = nlohmann::json;

class TestPelloraDeployData : public QObject
{
    Q_OBJECT
private:
    std::shared_ptr<ProjectModuleUseCase> m_modules =
        std::make_shared<ProjectModuleUseCase>(std::make_shared<ProjectDatabase>());

    BaseResult<json> build(const json& data, uint64_t productId = 0x10000003)
    {
        ProjectDbModuleBean bean;
        bean.productId = productId;
        bean.data = data;
        QString path = QStringLiteral("untouched");
        BaseResult<json> result = buildPelloraDeployData(*m_modules, bean, false, path);
        [&]() { QCOMPARE(path, QStringLiteral("untouched")); }();
        return result;
    }

    static json layer(int id, bool isDefault, json widgets = json::array())
    {
        return {{"id", id}, {"default", isDefault}, {"widgets", std::move(widgets)}, {"name", "n"}};
    }

private slots:
    void defaultLayerIsTheLastFlaggedOrTheFirst()
    {
        const json widgets = {{{"id", 5}, {"type", 1}, {"iconPressed", "widget/5/pressedIcon"}},
                              {{"id", 3}, {"type", 1}}};
        auto result = build({{"dataConfig", {{"layers", {layer(7, false), layer(8, true, widgets), layer(9, true)}}}},
                             {"netConfig", {{"ssid", "wlan"}, {"password", "pässword"}}}});
        QVERIFY(result.isOk());
        QCOMPARE(QString::fromStdString(result.data->dump()),
                 QString::fromUtf8(R"({"dataConfig":{"defaultLayer":9,"layers":[{"id":7,"items":[]},)"
                                   R"({"id":8,"items":[{"id":5,"type":1},{"id":3,"type":1}]},{"id":9,"items":[]}]},)"
                                   R"("netConfig":{"password":"pässword","ssid":"wlan"}})"));

        result = build({{"dataConfig", {{"layers", {layer(4, false), layer(2, false)}}}}});
        QVERIFY((*result.data)["dataConfig"]["defaultLayer"] == json(4));
    }

    void missingPartsGiveTheirEmptyForms()
    {
        QCOMPARE(QString::fromStdString(build(json::object()).data->dump()),
                 QStringLiteral(R"({"netConfig":{"password":"","ssid":""}})"));
        const json emptyDataConfig = {{"dataConfig", json::object()}, {"netConfig", {{"password", ""}, {"ssid", ""}}}};
        QVERIFY(*build({{"dataConfig", {{"layers", json::array()}}}}).data == emptyDataConfig);
        QVERIFY(*build({{"dataConfig", json::object()}}).data == emptyDataConfig);
    }

    void refusesOtherProductsAndMalformedLayers()
    {
        QCOMPARE(build(json::object(), 0x10000001).code(), 1001);
        QVERIFY_THROWS_EXCEPTION(std::exception, build({{"dataConfig", {{"layers", {{{"default", true}}}}}}}));
        QVERIFY_THROWS_EXCEPTION(std::exception,
                                 build({{"dataConfig", {{"layers", {layer(1, true, {{{"id", 2}}})}}}}}));
        QVERIFY_THROWS_EXCEPTION(std::exception, build({{"dataConfig", {{"layers", "none"}}}}));
    }
};

QTEST_GUILESS_MAIN(TestPelloraDeployData)
#include "tst_PelloraDeployData.moc"
