#include "core/JsonTextReader.h"

#include <QByteArray>
#include <QStringDecoder>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <system_error>
#include <type_traits>

namespace OV {

namespace {

// Deeper documents go to the library's parser, which keeps its own stack.
constexpr int kMaxDepth = 256;

void appendUtf8(std::string& out, uint32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

template <typename Char>
class Reader
{
public:
    Reader(const Char* begin, const Char* end) : m_p(begin), m_end(end) {}

    bool document(nlohmann::json& out)
    {
        skipSpace();
        if (!value(out, 0))
            return false;
        skipSpace();
        return m_p == m_end;
    }

    bool members(std::vector<JsonTextReader::Member>& out)
    {
        skipSpace();
        if (!at('{'))
            return false;
        const bool read = eachMember([&](std::string key) {
            JsonTextReader::Member member;
            member.key = std::move(key);
            member.isText = at('"');
            if (!(member.isText ? text(member.text) : value(member.value, 1)))
                return false;
            out.push_back(std::move(member));
            return true;
        });
        skipSpace();
        return read && m_p == m_end;
    }

private:
    const Char* m_p;
    const Char* m_end;

    static uint32_t unit(Char c) { return static_cast<std::make_unsigned_t<Char>>(c); }
    static bool isDigit(uint32_t c) { return c >= '0' && c <= '9'; }

    bool at(char c) const { return m_p != m_end && unit(*m_p) == uint32_t(c); }
    bool atDigit() const { return m_p != m_end && isDigit(unit(*m_p)); }

    void skipSpace()
    {
        while (m_p != m_end) {
            const uint32_t c = unit(*m_p);
            if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
                return;
            ++m_p;
        }
    }

    bool literal(const char* word)
    {
        for (; *word; ++word, ++m_p) {
            if (m_p == m_end || unit(*m_p) != uint32_t(*word))
                return false;
        }
        return true;
    }

    bool value(nlohmann::json& out, int depth)
    {
        if (m_p == m_end)
            return false;
        switch (unit(*m_p)) {
        case '{':
            return object(out, depth);
        case '[':
            return array(out, depth);
        case '"': {
            std::string text;
            if (!string(text))
                return false;
            out = std::move(text);
            return true;
        }
        case 't':
            out = true;
            return literal("true");
        case 'f':
            out = false;
            return literal("false");
        case 'n':
            out = nullptr;
            return literal("null");
        default:
            return number(out);
        }
    }

    bool object(nlohmann::json& out, int depth)
    {
        if (depth >= kMaxDepth)
            return false;
        out = nlohmann::json::object();
        auto& members = out.get_ref<nlohmann::json::object_t&>();
        return eachMember([&](std::string key) {
            nlohmann::json member;
            if (!value(member, depth + 1))
                return false;
            // Stored texts list their keys in order: each new key then goes to the end without a
            // search. As with the library, a key given twice keeps its last value.
            if (members.empty() || members.rbegin()->first < key)
                members.emplace_hint(members.end(), std::move(key), std::move(member));
            else
                members.insert_or_assign(std::move(key), std::move(member));
            return true;
        });
    }

    // The members of the object at the opening brace: each key is handed to readValue, which
    // reads the value that follows it.
    template <typename ReadValue>
    bool eachMember(ReadValue&& readValue)
    {
        ++m_p;
        skipSpace();
        if (at('}')) {
            ++m_p;
            return true;
        }
        for (;;) {
            if (!at('"'))
                return false;
            std::string key;
            if (!string(key))
                return false;
            skipSpace();
            if (!at(':'))
                return false;
            ++m_p;
            skipSpace();
            bool done = false;
            if (!readValue(std::move(key)) || !next('}', done))
                return false;
            if (done)
                return true;
        }
    }

    // After a member or item: past the closing bracket (done) or the comma before the next one;
    // false at anything else.
    bool next(char close, bool& done)
    {
        skipSpace();
        done = at(close);
        if (!done && !at(','))
            return false;
        ++m_p;
        skipSpace();
        return true;
    }

    bool array(nlohmann::json& out, int depth)
    {
        if (depth >= kMaxDepth)
            return false;
        ++m_p;
        out = nlohmann::json::array();
        auto& items = out.get_ref<nlohmann::json::array_t&>();
        skipSpace();
        if (at(']')) {
            ++m_p;
            return true;
        }
        for (;;) {
            items.emplace_back();
            bool done = false;
            if (!value(items.back(), depth + 1) || !next(']', done))
                return false;
            if (done)
                return true;
        }
    }

    bool string(std::string& out)
    {
        ++m_p;
        for (;;) {
            const Char* run = m_p;
            while (m_p != m_end) {
                const uint32_t c = unit(*m_p);
                if (c == '"' || c == '\\' || c < 0x20 || c >= 0x80)
                    break;
                ++m_p;
            }
            if constexpr (sizeof(Char) == 1) {
                out.append(run, size_t(m_p - run));
            } else {
                const size_t start = out.size();
                out.resize(start + size_t(m_p - run));
                for (size_t i = start; run != m_p; ++run, ++i)
                    out[i] = char(*run);
            }
            if (m_p == m_end)
                return false;
            const uint32_t c = unit(*m_p);
            if (c == '"') {
                ++m_p;
                return true;
            }
            if (c < 0x20)
                return false; // control characters must be escaped
            if (!(c == '\\' ? escape(out) : nonAscii(out)))
                return false;
        }
    }

    // A string straight into UTF-16: copied as it stands when it holds no escape, else decoded.
    bool text(QString& out)
    {
        static_assert(sizeof(Char) == 2, "text is read from UTF-16 only");
        const Char* start = m_p + 1;
        const Char* p = start;
        while (p != m_end) {
            const uint32_t c = unit(*p);
            if (c == '"' || c == '\\' || c < 0x20 || (c >= 0xD800 && c <= 0xDFFF))
                break;
            ++p;
        }
        if (p != m_end && unit(*p) == '"') {
            out = QString(reinterpret_cast<const QChar*>(start), qsizetype(p - start));
            m_p = p + 1;
            return true;
        }
        std::string decoded;
        if (!string(decoded))
            return false;
        out = JsonTextReader::textFromUtf8(decoded.data(), decoded.data() + decoded.size());
        return true;
    }

    bool hex4(uint32_t& code)
    {
        if (m_end - m_p < 4)
            return false;
        code = 0;
        for (int i = 0; i < 4; ++i, ++m_p) {
            const uint32_t c = unit(*m_p);
            uint32_t digit = 0;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                return false;
            code = code << 4 | digit;
        }
        return true;
    }

    bool escape(std::string& out)
    {
        ++m_p;
        if (m_p == m_end)
            return false;
        switch (unit(*m_p++)) {
        case '"':
            out += '"';
            return true;
        case '\\':
            out += '\\';
            return true;
        case '/':
            out += '/';
            return true;
        case 'b':
            out += '\b';
            return true;
        case 'f':
            out += '\f';
            return true;
        case 'n':
            out += '\n';
            return true;
        case 'r':
            out += '\r';
            return true;
        case 't':
            out += '\t';
            return true;
        case 'u': {
            uint32_t code = 0;
            if (!hex4(code))
                return false;
            if (code >= 0xD800 && code <= 0xDBFF) {
                uint32_t low = 0;
                if (!at('\\') || m_end - m_p < 2 || unit(m_p[1]) != 'u')
                    return false;
                m_p += 2;
                if (!hex4(low) || low < 0xDC00 || low > 0xDFFF)
                    return false;
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            } else if (code >= 0xDC00 && code <= 0xDFFF) {
                return false;
            }
            appendUtf8(out, code);
            return true;
        }
        default:
            return false;
        }
    }

    // One character beyond ASCII, copied as UTF-8 when it is well formed.
    bool nonAscii(std::string& out)
    {
        if constexpr (sizeof(Char) == 1) {
            const auto* p = reinterpret_cast<const unsigned char*>(m_p);
            const unsigned first = p[0];
            unsigned follow = 0;
            unsigned low = 0x80;
            unsigned high = 0xBF;
            if (first >= 0xC2 && first <= 0xDF)
                follow = 1;
            else if (first == 0xE0)
                follow = 2, low = 0xA0;
            else if (first == 0xED)
                follow = 2, high = 0x9F; // no encoded surrogates
            else if (first >= 0xE1 && first <= 0xEF)
                follow = 2;
            else if (first == 0xF0)
                follow = 3, low = 0x90;
            else if (first >= 0xF1 && first <= 0xF3)
                follow = 3;
            else if (first == 0xF4)
                follow = 3, high = 0x8F; // nothing past U+10FFFF
            else
                return false;
            if (m_end - m_p <= ptrdiff_t(follow) || p[1] < low || p[1] > high)
                return false;
            for (unsigned i = 2; i <= follow; ++i) {
                if (p[i] < 0x80 || p[i] > 0xBF)
                    return false;
            }
            out.append(m_p, follow + 1);
            m_p += follow + 1;
            return true;
        } else {
            uint32_t code = unit(*m_p++);
            if (code >= 0xD800 && code <= 0xDBFF) {
                if (m_p == m_end)
                    return false;
                const uint32_t low = unit(*m_p);
                if (low < 0xDC00 || low > 0xDFFF)
                    return false;
                ++m_p;
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            } else if (code >= 0xDC00 && code <= 0xDFFF) {
                return false;
            }
            appendUtf8(out, code);
            return true;
        }
    }

    bool number(nlohmann::json& out)
    {
        const Char* start = m_p;
        const bool negative = at('-');
        if (negative)
            ++m_p;
        if (at('0')) {
            ++m_p;
        } else if (atDigit()) {
            while (atDigit())
                ++m_p;
        } else {
            return false;
        }
        bool integer = true;
        if (at('.')) {
            integer = false;
            ++m_p;
            if (!atDigit())
                return false;
            while (atDigit())
                ++m_p;
        }
        if (at('e') || at('E')) {
            integer = false;
            ++m_p;
            if (at('+') || at('-'))
                ++m_p;
            if (!atDigit())
                return false;
            while (atDigit())
                ++m_p;
        }
        char text[64];
        const size_t length = size_t(m_p - start);
        if (length >= sizeof text)
            return false;
        for (size_t i = 0; i < length; ++i)
            text[i] = char(start[i]);
        const char* last = text + length;
        // The library's kinds: a whole number without a sign is unsigned, with one signed; one
        // too large for either becomes a double.
        if (integer && negative) {
            int64_t whole = 0;
            const auto [end, error] = std::from_chars(text, last, whole);
            if (error == std::errc() && end == last) {
                out = static_cast<nlohmann::json::number_integer_t>(whole);
                return true;
            }
        } else if (integer) {
            uint64_t whole = 0;
            const auto [end, error] = std::from_chars(text, last, whole);
            if (error == std::errc() && end == last) {
                out = static_cast<nlohmann::json::number_unsigned_t>(whole);
                return true;
            }
        }
        double real = 0;
        const auto [end, error] = std::from_chars(text, last, real);
        if (error != std::errc() || end != last || !std::isfinite(real))
            return false;
        out = static_cast<nlohmann::json::number_float_t>(real);
        return true;
    }
};

} // namespace

bool JsonTextReader::read(QStringView text, nlohmann::json& out)
{
    return Reader<char16_t>(text.utf16(), text.utf16() + text.size()).document(out);
}

bool JsonTextReader::read(const char* begin, const char* end, nlohmann::json& out)
{
    return Reader<char>(begin, end).document(out);
}

bool JsonTextReader::readMembers(QStringView text, std::vector<Member>& out)
{
    return Reader<char16_t>(text.utf16(), text.utf16() + text.size()).members(out);
}

nlohmann::json JsonTextReader::parse(QStringView text)
{
    nlohmann::json out;
    if (read(text, out))
        return out;
    const QByteArray utf8 = text.toUtf8();
    return nlohmann::json::parse(utf8.constBegin(), utf8.constEnd());
}

QString JsonTextReader::textFromUtf8(const char* begin, const char* end)
{
    // Only a leading EF BB BF tells the two apart; everything else takes Qt's quicker path.
    if (end - begin < 3 || uchar(begin[0]) != 0xEF || uchar(begin[1]) != 0xBB || uchar(begin[2]) != 0xBF)
        return QString::fromUtf8(begin, end - begin);
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(begin, end - begin));
}

nlohmann::json JsonTextReader::parse(const char* begin, const char* end)
{
    nlohmann::json out;
    if (read(begin, end, out))
        return out;
    return nlohmann::json::parse(begin, end);
}

} // namespace OV
