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

class TestKestrinMessage : public QObject
{
    Q_OBJECT
private slots:
    // Runs first: no message has been made in this process yet.
    void idsStartAtZeroAndNeverRepeat()
    {
        QCOMPARE(KestrinMessage::create(20).id, std::string("0"));
        QCOMPARE(KestrinMessage::create(20).id, std::string("1"));
        // Replies reuse the hub's id and leave the counter alone.
        QCOMPARE(KestrinMessage::makeReply("hub-4", 1000000).id, std::string("hub-4"));
        QCOMPARE(KestrinMessage::create(20).id, std::string("2"));
        std::set<std::string> seen;
        for (int i = 0; i < 1000; ++i)
            QVERIFY(seen.insert(KestrinMessage::create(1).id).second);
        QVERIFY(seen.count("1002") == 1 && seen.count("3") == 1);
    }

    void wireForm()
    {
        KestrinMessage reply = KestrinMessage::makeReply("7", 1000000);
        QVERIFY(!reply.hasCode() && reply.msg.isEmpty() && reply.data.is_null());
        reply.code = 200;
        reply.data = {{"type", "TEST"}, {"payload", {{"b", 1}, {"a", "\xC3\xBC"}}}};
        QCOMPARE(reply.toJson(),
                 std::string("{\"act\":1000000,\"code\":200,\"data\":{\"payload\":{\"a\":\"\xC3\xBC\",\"b\":1},"
                             "\"type\":\"TEST\"},\"id\":\"7\"}"));

        KestrinMessage heartbeat = KestrinMessage::makeReply("12", 20);
        QCOMPARE(heartbeat.toJson(), std::string("{\"act\":20,\"id\":\"12\"}"));

        KestrinMessage error = KestrinMessage::makeReply("1", 5);
        error.code = 404;
        QCOMPARE(error.toJson(), std::string("{\"act\":5,\"code\":404,\"id\":\"1\"}"));
        error.msg = QStringLiteral("n\u00e9e \"x\"");
        QCOMPARE(error.toJson(), std::string("{\"act\":5,\"code\":404,\"id\":\"1\",\"msg\":\"n\xC3\xA9"
                                             "e \\\"x\\\"\"}"));

        KestrinMessage noCode = KestrinMessage::makeReply("1", 5);
        noCode.msg = QStringLiteral("x");
        QCOMPARE(noCode.toJson(), std::string("{\"act\":5,\"id\":\"1\"}"));

        noCode.data = Json::object();
        QCOMPARE(noCode.toJson(), std::string("{\"act\":5,\"data\":{},\"id\":\"1\"}"));
        noCode.data = Json::array();
        QCOMPARE(noCode.toJson(), std::string("{\"act\":5,\"data\":[],\"id\":\"1\"}"));
        noCode.data = "";
        QCOMPARE(noCode.toJson(), std::string("{\"act\":5,\"data\":\"\",\"id\":\"1\"}"));
    }

    void parsing()
    {
        auto minimal = KestrinMessage::fromJson(Json::parse(R"({"id":"7","act":1})"));
        QCOMPARE(minimal->id, std::string("7"));
        QCOMPARE(minimal->act, 1);
        QVERIFY(!minimal->hasCode());
        QCOMPARE(minimal->code, std::numeric_limits<int64_t>::min());
        QVERIFY(minimal->msg.isEmpty() && minimal->data.is_null());

        auto full = KestrinMessage::fromJson(
            Json::parse(R"({"id":"a","act":30200,"code":500,"msg":"b\u00e4d","data":{"error":7}})"));
        QCOMPARE(full->code, int64_t(500));
        QCOMPARE(full->msg, QStringLiteral("b\u00e4d"));
        QVERIFY(full->data == Json({{"error", 7}}));
        QCOMPARE(KestrinMessage::fromJson(Json::parse(R"({"id":"a","act":2.0})"))->act, 2);

        const char* const bad[] = {
            R"({"id":7,"act":1})",
            R"({"act":1})",
            R"({"id":"7"})",
            R"({"id":"7","act":"1"})",
            R"({"id":"7","act":true})",
            R"({"id":"7","act":null})",
            R"({"id":"7","act":1e300})",
            R"({"id":"7","act":4294967296})",
            R"({"id":"7","act":1,"code":"200"})",
            R"({"id":"7","act":1,"msg":3})",
            R"([1,2])",
            R"("x")",
        };
        for (const char* text : bad) {
            bool threw = false;
            try {
                KestrinMessage::fromJson(Json::parse(text));
            } catch (const nlohmann::json::exception&) {
                threw = true;
            }
            QVERIFY2(threw, text);
        }
    }

    void framingSplitsCrLfAndAcrossReads()
    {
        LineFramer framer;
        QCOMPARE(framer.push(QByteArray("a\r\n\r\nb")), QList<QByteArray>{"a"});
        QCOMPARE(framer.push(QByteArray("c\n")), QList<QByteArray>{"bc"});
        QCOMPARE(framer.push(QByteArray("  x \t\r\n\n y")), QList<QByteArray>{"x"});
        QCOMPARE(framer.buffered(), qsizetype(2));

        // Byte by byte, the same lines come out.
        LineFramer slow;
        QList<QByteArray> lines;
        for (char c : QByteArray("one\r\ntwo\n\nthree\n"))
            lines += slow.push(QByteArray(1, c));
        QCOMPARE(lines, (QList<QByteArray>{"one", "two", "three"}));
    }

    void framingDropsOverlongLines()
    {
        LineFramer framer(8);
        QCOMPARE(framer.push(QByteArray("12345678\n")), QList<QByteArray>{"12345678"});
        QVERIFY(!framer.overflowed());

        // Lines before the overlong one survive; the rest of that read is dropped with it.
        QCOMPARE(framer.push(QByteArray("ok\n123456789\nlost\n")), QList<QByteArray>{"ok"});
        QVERIFY(framer.overflowed());
        QCOMPARE(framer.buffered(), qsizetype(0));

        // An unfinished line over the limit is not waited for.
        QVERIFY(framer.push(QByteArray("1234")).isEmpty());
        QVERIFY(!framer.overflowed());
        QVERIFY(framer.push(QByteArray("56789")).isEmpty());
        QVERIFY(framer.overflowed());
        QCOMPARE(framer.buffered(), qsizetype(0));
        QCOMPARE(framer.push(QByteArray("next\n")), QList<QByteArray>{"next"});

        QCOMPARE(LineFramer().maxLineBytes(), qsizetype(8 * 1024 * 1024));
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
            QCOMPARE(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                            static_cast<size_t>(bytes.size())),
                     0);
        }
    }
};

QTEST_GUILESS_MAIN(TestKestrinMessage)
#include "tst_KestrinMessage.moc"
