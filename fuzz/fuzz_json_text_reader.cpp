// The stored-record reader against the JSON library, fed with arbitrary bytes: from UTF-8 and,
// where the bytes are valid UTF-8, from the same text as UTF-16, it ends as the library does
// (the same value, number kinds and bytes of every text included, or the same error text), and
// an object's members read as text hold exactly the library's characters, U+FEFF included.
#include "core/JsonTextReader.h"

#include <QByteArray>
#include <QString>

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// Named, so that a test that replays the corpus may have helpers of the same names.
namespace fuzz_json_text_reader {
namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Equal kinds and values all the way down; floats by their text, texts byte for byte.
bool sameValue(const nlohmann::json& a, const nlohmann::json& b)
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

struct Outcome
{
    bool ok = false;
    nlohmann::json value;
    std::string error;
};

template <typename Parse>
Outcome outcomeOf(Parse&& parse)
{
    Outcome outcome;
    try {
        outcome.value = parse();
        outcome.ok = true;
    } catch (const nlohmann::json::exception& e) {
        outcome.error = e.what();
    }
    return outcome;
}

void requireSame(const Outcome& got, const Outcome& expected)
{
    require(got.ok == expected.ok);
    if (got.ok)
        require(sameValue(got.value, expected.value));
    else
        require(got.error == expected.error);
}

// The members as text: the last of two equal keys counts, as in the library's object.
void checkMembers(const QString& text, const Outcome& expected)
{
    std::vector<OV::JsonTextReader::Member> members;
    if (!OV::JsonTextReader::readMembers(text, members))
        return;
    require(expected.ok && expected.value.is_object());
    std::map<std::string, const OV::JsonTextReader::Member*> last;
    for (const OV::JsonTextReader::Member& member : members)
        last[member.key] = &member;
    require(last.size() == expected.value.size());
    for (const auto& [key, member] : last) {
        const auto found = expected.value.find(key);
        require(found != expected.value.end());
        if (member->isText) {
            require(found->is_string());
            const QByteArray utf8 = member->text.toUtf8();
            require(utf8.toStdString() == found->get<std::string>());
            // The text decoder the records use keeps every character, a leading U+FEFF too.
            require(OV::JsonTextReader::textFromUtf8(utf8.constBegin(), utf8.constEnd()) == member->text);
        } else {
            require(sameValue(member->value, *found));
        }
    }
}

} // namespace
} // namespace fuzz_json_text_reader

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace fuzz_json_text_reader;
    const char* begin = reinterpret_cast<const char*>(data);
    const char* end = begin + size;
    const Outcome expected = outcomeOf([&] { return nlohmann::json::parse(begin, end); });

    nlohmann::json quick;
    if (OV::JsonTextReader::read(begin, end, quick))
        require(expected.ok && sameValue(quick, expected.value));
    requireSame(outcomeOf([&] { return OV::JsonTextReader::parse(begin, end); }), expected);

    // Only valid UTF-8 has a UTF-16 form; the decoder must give back the very bytes.
    const QString text = OV::JsonTextReader::textFromUtf8(begin, end);
    if (text.toUtf8() != QByteArray(begin, static_cast<qsizetype>(size)))
        return 0;
    nlohmann::json quick16;
    if (OV::JsonTextReader::read(text, quick16))
        require(expected.ok && sameValue(quick16, expected.value));
    requireSame(outcomeOf([&] { return OV::JsonTextReader::parse(text); }), expected);
    checkMembers(text, expected);
    return 0;
}
