#include "core/JsonTextReader.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <string>

// The fuzz target's checks, replayed on the committed corpus.
#include "../../fuzz/fuzz_json_text_reader.cpp"

using namespace OV;
using nlohmann::json;

namespace {

// Equal values of equal kinds all the way down: the library's own == calls 5u equal to 5.
bool sameValue(const json& a, const json& b)
{
    if (a.type() != b.type())
        return false;
    if (a.is_object()) {
        if (a.size() != b.size())
            return false;
        for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j) {
            if (i.key() != j.key() || !sameValue(i.value(), j.value()))
                return false;
        }
        return true;
    }
    if (a.is_array()) {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i) {
            if (!sameValue(a[i], b[i]))
                return false;
        }
        return true;
    }
    if (a.is_number_float())
        return a.dump() == b.dump();
    return a == b;
}

// What the library makes of the text: its value, or its error text.
struct Outcome
{
    bool ok = false;
    json value;
    std::string error;
};

Outcome library(const std::string& text)
{
    Outcome outcome;
    try {
        outcome.value = json::parse(text);
        outcome.ok = true;
    } catch (const json::exception& e) {
        outcome.error = e.what();
    }
    return outcome;
}

// The reader either gives up or builds the library's value; `parse` always ends as the
// library does, error text included. Both from UTF-8 bytes and, where the bytes are valid
// UTF-8, from the same text as UTF-16.
void checkAgainstLibrary(const std::string& text, bool mustRead)
{
    const Outcome expected = library(text);
    json read;
    const bool quick = JsonTextReader::read(text.data(), text.data() + text.size(), read);
    if (quick) {
        QVERIFY2(expected.ok, text.c_str());
        QVERIFY2(sameValue(read, expected.value), text.c_str());
    }
    if (mustRead)
        QVERIFY2(quick, text.c_str());
    try {
        const json parsed = JsonTextReader::parse(text.data(), text.data() + text.size());
        QVERIFY2(expected.ok && sameValue(parsed, expected.value), text.c_str());
    } catch (const json::exception& e) {
        QCOMPARE(std::string(e.what()), expected.error);
    }

    const QString utf16 = QString::fromUtf8(text.data(), qsizetype(text.size()));
    if (utf16.toUtf8() != QByteArray::fromStdString(text))
        return; // not valid UTF-8: there is no UTF-16 form of it
    json readUtf16;
    if (JsonTextReader::read(utf16, readUtf16)) {
        QVERIFY2(expected.ok && sameValue(readUtf16, expected.value), text.c_str());
    } else {
        QVERIFY2(!mustRead, text.c_str());
    }
}

} // namespace

class tst_JsonTextReader : public QObject
{
    Q_OBJECT

private slots:
    void matchesTheLibrary_data();
    void matchesTheLibrary();
    void mutatedDocumentsMatchTheLibrary();
    void textsKeepALeadingByteOrderMark_data();
    void textsKeepALeadingByteOrderMark();
    void fuzzCorpusReplays();
};

void tst_JsonTextReader::matchesTheLibrary_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("mustRead");
    const auto row = [](const char* name, const QByteArray& text, bool mustRead) {
        QTest::newRow(name) << text << mustRead;
    };
    // What the program stores and exchanges: read quickly.
    row("card columns", R"({"icon":"clock.png","name":"Clock 0","uid":"card-2-0","widgetType":"basicClock"})", true);
    row("nested document", R"({"deploymentData":{"param":{"format":"24h","index":0,"zone":"Europe/Oslo"}}})", true);
    row("spaces everywhere", " \t\r\n{ \"a\" : [ 1 , 2 ] , \"b\" : { } , \"c\" : [ ] }\n ", true);
    row("scalars", "[true,false,null,\"\",0,-0,7,-7,1.5,-2.25e3,1E-2,0.0]", true);
    row("number kinds at the edges", "[9223372036854775807,-9223372036854775808,18446744073709551615]", true);
    row("past 64 bits becomes a double", "[18446744073709551616,-9223372036854775809]", true);
    row("escapes", R"(["\"\\\/\b\f\n\r\t","\u0041\u00e9\u20AC","\ud83d\ude00","\u0000"])", true);
    row("UTF-8 text", "{\"name\":\"Zürich – 東京 😀\"}", true);
    row("a key given twice", R"({"b":1,"a":2,"b":3})", true);
    row("keys out of order", R"({"z":1,"m":2,"a":3})", true);
    row("top-level scalar", "42", true);
    row("byte order mark inside a text", "{\"name\":\"\xEF\xBB\xBF\\\"Desk\"}", true);
    // Left to the library, which refuses or decides.
    row("empty", "", false);
    row("only spaces", "   ", false);
    row("byte order mark", "\xEF\xBB\xBF{}", false);
    row("trailing comma", "[1,2,]", false);
    row("object trailing comma", R"({"a":1,})", false);
    row("leading zero", "[01]", false);
    row("bare minus", "[-]", false);
    row("dot without digits", "[1.]", false);
    row("exponent without digits", "[1e+]", false);
    row("hex", "[0x10]", false);
    row("single quotes", "['a']", false);
    row("unquoted key", "{a:1}", false);
    row("missing colon", R"({"a" 1})", false);
    row("text after the value", "{} {}", false);
    row("raw control character", "[\"a\tb\"]", false);
    row("bad escape", R"(["\x"])", false);
    row("short \\u escape", R"(["\u12"])", false);
    row("lone high surrogate", R"(["\ud83d"])", false);
    row("lone low surrogate", R"(["\ude00"])", false);
    row("high then not low", R"(["\ud83d\u0041"])", false);
    row("overflowing double", "[1e400]", false);
    row("underflowing double", "[1e-400]", false);
    row("truncated", R"({"a":[1,2)", false);
    row("unterminated string", "[\"abc", false);
    row("broken literal", "[tru]", false);
    row("invalid UTF-8 continuation", "[\"\xC3\x28\"]", false);
    row("overlong UTF-8", "[\"\xC0\xAF\"]", false);
    row("UTF-8 encoded surrogate", "[\"\xED\xA0\x80\"]", false);
    row("past U+10FFFF", "[\"\xF4\x90\x80\x80\"]", false);
    row("UTF-8 cut short", "[\"\xE2\x82\"]", false);
    row("comment", "[1 /* two */]", false);
    row("deep nesting", QByteArray(300, '[') + QByteArray(300, ']'), false);
    row("deep but unbalanced", QByteArray(300, '[') + QByteArray(299, ']'), false);
}

void tst_JsonTextReader::matchesTheLibrary()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, mustRead);
    checkAgainstLibrary(text.toStdString(), mustRead);
}

void tst_JsonTextReader::mutatedDocumentsMatchTheLibrary()
{
    // Single-byte changes, insertions and cuts of typical documents: whatever the reader
    // accepts, it must read as the library does.
    const std::string seeds[] = {
        R"({"deploymentData":{"param":{"format":"24h","index":12,"zone":"Europe/Oslo"},"type":"clock"}})",
        R"({"a":[1,-2,3.5e2,true,false,null],"b":"x\u00e9\ud83d\ude00\n","c":{}})",
        "{\"name\":\"Zürich 東京\",\"n\":18446744073709551615}",
    };
    const char alphabet[] = "{}[]\",:\\-+.eE0123456789 tfnu\x80\xC3\xA9\xED\xF0\x01";
    QRandomGenerator random(2026);
    for (const std::string& seed : seeds) {
        for (int round = 0; round < 4000; ++round) {
            std::string text = seed;
            const int changes = 1 + int(random.bounded(3));
            for (int c = 0; c < changes && !text.empty(); ++c) {
                const size_t at = random.bounded(quint32(text.size()));
                const char byte = alphabet[random.bounded(quint32(sizeof alphabet - 1))];
                switch (random.bounded(3)) {
                case 0:
                    text[at] = byte;
                    break;
                case 1:
                    text.insert(at, 1, byte);
                    break;
                default:
                    text.erase(at, 1);
                    break;
                }
            }
            checkAgainstLibrary(text, false);
            if (QTest::currentTestFailed())
                return;
        }
    }
}

void tst_JsonTextReader::textsKeepALeadingByteOrderMark_data()
{
    QTest::addColumn<QString>("text");
    const QChar bom(0xFEFF);
    QTest::newRow("alone") << QString(bom);
    QTest::newRow("before plain text") << bom + QStringLiteral("Desk");
    QTest::newRow("before an escaped quote") << bom + QStringLiteral("De\"sk");
    QTest::newRow("before a line break") << bom + QStringLiteral("\n");
    QTest::newRow("twice, then non-BMP text") << QString(bom) + bom + QString::fromUtf8("\xF0\x9F\x98\x80");
}

void tst_JsonTextReader::textsKeepALeadingByteOrderMark()
{
    QFETCH(QString, text);
    const json written = {{"name", text.toStdString()}, {"n", 1}};
    const QString stored = QString::fromStdString(written.dump());
    std::vector<JsonTextReader::Member> members;
    QVERIFY(JsonTextReader::readMembers(stored, members));
    QCOMPARE(members.size(), size_t(2));
    QCOMPARE(members[1].key, std::string("name")); // written in key order
    QVERIFY(members[1].isText);
    QCOMPARE(members[1].text, text);
    const std::string utf8 = text.toStdString();
    QCOMPARE(JsonTextReader::textFromUtf8(utf8.data(), utf8.data() + utf8.size()), text);
    json read;
    QVERIFY(JsonTextReader::read(stored, read));
    QVERIFY(read == written);
}

void tst_JsonTextReader::fuzzCorpusReplays()
{
    const QDir dir(QStringLiteral(ORVEL_TEST_DATA_DIR "/core/corpus/json_text_reader"));
    const QStringList files = dir.entryList(QDir::Files);
    QVERIFY(files.size() >= 10);
    for (const QString& name : files) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())), 0);
    }
}

QTEST_GUILESS_MAIN(tst_JsonTextReader)
#include "tst_JsonTextReader.moc"
