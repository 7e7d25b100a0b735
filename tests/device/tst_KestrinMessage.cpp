#include "device/KestrinMessage.h"
#include "device/LineFramer.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <set>

// The fuzz target's checks, replayed on the committed corpus.
#include "../../fuzz/fuzz_kestrin_message.cpp"

using namespace OV;
using Json = nlohmann::json;

namespace {

KestrinMessage reply(int act, int64_t code, const QString& msg, Json data)
{
    KestrinMessage m = KestrinMessage::makeReply("1", act);
    m.code = code;
    m.msg = msg;
    m.data = std::move(data);
    return m;
}

} // namespace

class TestKestrinMessage : public QObject
{
    Q_OBJECT
private slots:
    // Runs first: no message has been made in this process yet.
    void idsStartAtZeroAndNeverRepeat()
    {
        QCOMPARE(KestrinMessage::create(20).id, std::string("0"));
        // Replies reuse the hub's id and leave the counter alone.
        QCOMPARE(KestrinMessage::makeReply("hub-4", 1000000).id, std::string("hub-4"));
        QCOMPARE(KestrinMessage::create(20).id, std::string("1"));
        std::set<std::string> seen;
        for (int i = 0; i < 200; ++i)
            QVERIFY(seen.insert(KestrinMessage::create(1).id).second);
    }

    void wireForm()
    {
        const int64_t none = KestrinMessage::kCodeAbsent;
        const std::pair<KestrinMessage, const char*> cases[] = {
            {reply(1000000, 200, {}, {{"type", "T"}, {"payload", {{"b", 1}, {"a", "\xC3\xBC"}}}}),
             "{\"act\":1000000,\"code\":200,\"data\":{\"payload\":{\"a\":\"\xC3\xBC\",\"b\":1},\"type\":\"T\"},\"id\":"
             "\"1\"}"},
            {reply(20, none, {}, nullptr), "{\"act\":20,\"id\":\"1\"}"},
            {reply(5, 404, {}, nullptr), "{\"act\":5,\"code\":404,\"id\":\"1\"}"},
            {reply(5, 404, QStringLiteral("n\u00e9 \"x\""), nullptr),
             "{\"act\":5,\"code\":404,\"id\":\"1\",\"msg\":\"n\xC3\xA9 \\\"x\\\"\"}"},
            {reply(5, none, QStringLiteral("x"), nullptr), "{\"act\":5,\"id\":\"1\"}"}, // no msg without code
            {reply(5, none, {}, Json::object()), "{\"act\":5,\"data\":{},\"id\":\"1\"}"},
            {reply(5, none, {}, Json::array()), "{\"act\":5,\"data\":[],\"id\":\"1\"}"},
            {reply(5, none, {}, ""), "{\"act\":5,\"data\":\"\",\"id\":\"1\"}"},
        };
        for (const auto& [message, expected] : cases)
            QCOMPARE(message.toJson(), std::string(expected));
    }

    void parsing()
    {
        auto full = KestrinMessage::fromJson(
            Json::parse(R"({"id":"a","act":30200,"code":500,"msg":"b\u00e4d","data":{"error":7}})"));
        QVERIFY(full->id == "a" && full->act == 30200 && full->code == 500 && full->data == Json({{"error", 7}}));
        QCOMPARE(full->msg, QStringLiteral("b\u00e4d"));
        QVERIFY(!KestrinMessage::fromJson(Json::parse(R"({"id":"7","act":1})"))->hasCode());
        QCOMPARE(KestrinMessage::fromJson(Json::parse(R"({"id":"a","act":2.0})"))->act, 2);

        for (const char* text :
             {R"({"id":7,"act":1})", R"({"act":1})", R"({"id":"7"})", R"({"id":"7","act":"1"})",
              R"({"id":"7","act":true})", R"({"id":"7","act":1e300})", R"({"id":"7","act":4294967296})",
              R"({"id":"7","act":1,"code":"200"})", R"({"id":"7","act":1,"msg":3})", R"([1,2])"}) {
            bool threw = false;
            try {
                KestrinMessage::fromJson(Json::parse(text));
            } catch (const nlohmann::json::exception&) {
                threw = true;
            }
            QVERIFY2(threw, text);
        }
    }

    // Ids and texts that need escaping, and ones the library refuses, give what the library's
    // own dump of the message's object gives.
    void wireFormMatchesTheLibrary_data()
    {
        QTest::addColumn<QByteArray>("id");
        QTest::addColumn<QString>("msg");
        QTest::newRow("plain") << QByteArray("42") << QStringLiteral("ok");
        QTest::newRow("quote and backslash") << QByteArray("a\"b\\c") << QStringLiteral("say \"hi\" \\ bye");
        QTest::newRow("control and delete") << QByteArray("t\tn\n\x01\x7f") << QStringLiteral("\u0002\r\x7f");
        QTest::newRow("non-ASCII") << QByteArray("\xC3\xA9\xE2\x82\xAC") << QStringLiteral("\u00fc\u20ac\U0001F600");
        QTest::newRow("not UTF-8") << QByteArray("\xC3(") << QString();
        QTest::newRow("empty") << QByteArray() << QString();
    }

    void wireFormMatchesTheLibrary()
    {
        QFETCH(QByteArray, id);
        QFETCH(QString, msg);
        const Json texts[] = {Json{{"k", id.toStdString()}}, Json(id.toStdString())};
        for (int i = 0; i < 6; ++i) {
            const int64_t code = i % 3 == 0 ? KestrinMessage::kCodeAbsent : i % 3 == 1 ? -3 : 200;
            KestrinMessage message = reply(-7, code, msg, texts[i / 3]);
            message.id = id.toStdString();
            std::string expected;
            std::string actual;
            try {
                expected = referenceWireForm(message);
            } catch (const nlohmann::json::exception& e) {
                expected = std::string("threw ") + e.what();
            }
            try {
                actual = message.toJson();
            } catch (const nlohmann::json::exception& e) {
                actual = std::string("threw ") + e.what();
            }
            QCOMPARE(actual, expected);
        }
    }

    // Lines the direct reader takes itself and lines it leaves to the long way: the message or
    // the exception text is the same either way.
    void directReadMatchesTheLongWay_data()
    {
        QTest::addColumn<QByteArray>("line");
        const char* const lines[] = {
            R"({"act":1002,"code":200,"data":[],"id":"12","msg":""})",
            R"({"id":"h-1","act":1000000,"data":{"type":"x","payload":{"a":[1,-2,3.5,true,null,"s"]}}})",
            R"({"data":null,"id":"1","act":-2147483648,"code":2147483647})",
            R"({"id":"1","act":1,"extra":{"id":"2","act":[{"data":1}]},"more":[[]],"x":7})",
            R"({"id":"1","act":1,"data":{"k":1,"k":2}})",
            R"({"id":"1","act":2.0})",
            R"({"id":"1","act":2147483648})",
            R"({"id":"1","act":-2147483649})",
            R"({"id":"1","act":1,"code":1e2})",
            R"({"id":"1","act":1,"id":"2"})",
            R"({"id":"1","act":1,"data":1,"data":2})",
            R"({"id":1,"act":1})",
            R"({"id":"1","act":"1"})",
            R"({"id":"1","act":1,"code":null})",
            R"({"id":"1","act":1,"msg":{"a":1}})",
            "{\"id\":\"1\",\"act\":1,\"msg\":\"caf\\u00e9 \\\"q\\\"\"}",
            R"({"act":0,"code":-0,"data":"sys.widget.apps","id":"","msg":"plain text"})",
            R"({"act":1,"data":{},"id":"1"})",
            R"({"act":1,"data":true,"id":"1","code":-1})",
            R"({"act":1,"data":false,"id":"1"})",
            R"({"act":1,"data":17,"id":"1"})",
            R"({"act":01,"id":"1"})",
            R"({"act":1.5,"id":"1"})",
            R"({"act":1e1,"id":"1"})",
            R"({"act":-,"id":"1"})",
            R"({"act":12345678901,"id":"1"})",
            R"({"act":1,"id":"1",})",
            R"({"act":1,"id":"1"} )",
            R"({"act":1, "id":"1"})",
            R"({"act":1,"id":"a\\b"})",
            "{\"act\":1,\"id\":\"tab\tin it\"}",
            R"({"act":1,"id":"caf\u00e9","msg":"\u00fc"})",
            R"({"act":1,"id":"café","msg":"ü"})",
            R"({"act":1,"id":"1","data":[ ]})",
            R"({"act":1,"id":"1","data":nul})",
            "{\"act\":1,\"id\":\"1\",\"data\":\"x",
            R"({"act":1,"id":"1")",
            R"({"act":1})",
            R"({"id":"1"})",
            R"({"id":"1","act":1} x)",
            R"({"id":"1","act":1)",
            R"([{"id":"1","act":1}])",
            R"("text")",
            R"(12)",
            R"({})",
            "",
        };
        for (const char* line : lines)
            QTest::newRow(line) << QByteArray(line);
    }

    void directReadMatchesTheLongWay()
    {
        QFETCH(QByteArray, line);
        std::shared_ptr<KestrinMessage> direct;
        std::shared_ptr<KestrinMessage> reference;
        QString directError;
        QString referenceError;
        try {
            direct = KestrinMessage::parse(line.constBegin(), line.constEnd());
        } catch (const nlohmann::json::exception& e) {
            directError = QString::fromUtf8(e.what());
        }
        try {
            reference = KestrinMessage::fromJson(Json::parse(line.constBegin(), line.constEnd()));
        } catch (const nlohmann::json::exception& e) {
            referenceError = QString::fromUtf8(e.what());
        }
        QCOMPARE(directError, referenceError);
        QCOMPARE(bool(direct), bool(reference));
        if (!direct)
            return;
        QCOMPARE(direct->id, reference->id);
        QCOMPARE(direct->act, reference->act);
        QCOMPARE(direct->code, reference->code);
        QCOMPARE(direct->msg, reference->msg);
        QCOMPARE(QString::fromStdString(direct->data.dump()), QString::fromStdString(reference->data.dump()));
    }

    void framing()
    {
        // CR LF, blank lines and lines split across reads, byte by byte too.
        LineFramer framer;
        QCOMPARE(framer.push(QByteArray("a\r\n\r\nb")), QList<QByteArray>{"a"});
        QCOMPARE(framer.push(QByteArray("c\n  x \t\r\n")), (QList<QByteArray>{"bc", "x"}));
        QList<QByteArray> lines;
        for (char c : QByteArray("one\r\ntwo\n\nthree\n"))
            lines += framer.push(QByteArray(1, c));
        QCOMPARE(lines, (QList<QByteArray>{"one", "two", "three"}));
        QCOMPARE(LineFramer().maxLineBytes(), qsizetype(8 * 1024 * 1024));

        // Over the limit: lines before it survive, the rest of that read is dropped, and an
        // unfinished line is not waited for.
        LineFramer small(8);
        QCOMPARE(small.push(QByteArray("12345678\nok\n123456789\nlost\n")), (QList<QByteArray>{"12345678", "ok"}));
        QVERIFY(small.overflowed());
        QVERIFY(small.push(QByteArray("1234")).isEmpty());
        QVERIFY(!small.overflowed());
        QVERIFY(small.push(QByteArray("56789")).isEmpty());
        QVERIFY(small.overflowed());
        QCOMPARE(small.push(QByteArray("next\n")), QList<QByteArray>{"next"});
    }

    void fuzzCorpusReplays()
    {
        const QDir dir(QStringLiteral(ORVEL_TEST_DATA_DIR "/device/corpus/kestrin_message"));
        const QStringList files = dir.entryList(QDir::Files);
        QVERIFY(files.size() >= 10);
        for (const QString& name : files) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            QCOMPARE(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())),
                     0);
        }
    }
};

QTEST_GUILESS_MAIN(TestKestrinMessage)
#include "tst_KestrinMessage.moc"
