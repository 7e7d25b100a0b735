#pragma once

#include <QString>
#include <QStringView>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace OV {

// A quick reader for the JSON texts the program itself stores and exchanges. It builds exactly
// the value the JSON library's parser builds (the same number kinds, the last of two equal keys
// kept), several times faster on small documents, and reads UTF-16 text without first making a
// UTF-8 copy. It gives up on anything outside the plain cases (a syntax error, invalid UTF-8 or
// a lone surrogate, a number the library would refuse or round, a byte order mark, very deep
// nesting): the caller then runs the library's parser, which throws its own exception, so
// errors stay word for word what they were.
class JsonTextReader
{
public:
    // True and the value in `out` when the text was read; false leaves `out` unspecified.
    static bool read(QStringView text, nlohmann::json& out);
    static bool read(const char* begin, const char* end, nlohmann::json& out);

    // One member of an object: a string value as text (the library's value built from the same
    // text would hold the same characters), any other value as a JSON value.
    struct Member
    {
        std::string key;
        bool isText = false;
        QString text;
        nlohmann::json value;
    };
    // The members of a JSON object in the order written, a key given twice listed twice. False
    // when the text is not an object or is anything this reader gives up on.
    static bool readMembers(QStringView text, std::vector<Member>& out);

    // The library's exception on a text this reader gives up on.
    static nlohmann::json parse(QStringView text);
    static nlohmann::json parse(const char* begin, const char* end);

    // UTF-8 text as UTF-16, character for character: a leading U+FEFF is text like any other
    // (QString::fromUtf8 would take it for a byte order mark and drop it).
    static QString textFromUtf8(const char* begin, const char* end);
};

} // namespace OV
