// Line framing and message parsing of the hub link, fed with arbitrary bytes. The first byte
// decides how the rest is cut into reads, so lines also arrive split across reads.
#include "device/KestrinMessage.h"
#include "device/LineFramer.h"

#include <QByteArray>
#include <QList>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

// Small enough that inputs can reach it.
constexpr qsizetype kFuzzMaxLine = 4096;

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// What the wire form must equal: the library's compact dump of an object of the members.
std::string referenceWireForm(const OV::KestrinMessage& message)
{
    nlohmann::json object = nlohmann::json::object();
    object["id"] = message.id;
    object["act"] = message.act;
    if (message.hasCode()) {
        object["code"] = message.code;
        if (!message.msg.isEmpty())
            object["msg"] = message.msg.toStdString();
    }
    if (!message.data.is_null())
        object["data"] = message.data;
    return object.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
}

// Reading a line directly gives what parsing it and reading the value gives: the same message,
// or an exception with the same text.
void checkDirectRead(const QByteArray& line)
{
    std::shared_ptr<OV::KestrinMessage> direct;
    std::shared_ptr<OV::KestrinMessage> reference;
    std::string directError = "none";
    std::string referenceError = "none";
    try {
        direct = OV::KestrinMessage::parse(line.constBegin(), line.constEnd());
    } catch (const nlohmann::json::exception& e) {
        directError = e.what();
    }
    try {
        reference = OV::KestrinMessage::fromJson(nlohmann::json::parse(line.constBegin(), line.constEnd()));
    } catch (const nlohmann::json::exception& e) {
        referenceError = e.what();
    }
    require(directError == referenceError);
    require(bool(direct) == bool(reference));
    if (!direct)
        return;
    require(direct->id == reference->id);
    require(direct->act == reference->act);
    require(direct->code == reference->code);
    require(direct->msg == reference->msg);
    require(direct->data == reference->data);
}

void checkMessage(const QByteArray& line)
{
    checkDirectRead(line);
    const nlohmann::json parsed = nlohmann::json::parse(line.constBegin(), line.constEnd(), nullptr, false);
    if (parsed.is_discarded())
        return;
    std::shared_ptr<OV::KestrinMessage> message;
    try {
        message = OV::KestrinMessage::fromJson(parsed);
    } catch (const nlohmann::json::exception&) {
        return;
    }
    // Whatever parses must serialise, and read back as the same message.
    const std::string text = message->toJson();
    require(text.find('\n') == std::string::npos);
    require(text == referenceWireForm(*message));
    const std::shared_ptr<OV::KestrinMessage> again = OV::KestrinMessage::fromJson(nlohmann::json::parse(text));
    require(again->id == message->id);
    require(again->act == message->act);
    require(again->code == message->code);
    require(again->msg == (message->hasCode() ? message->msg : QString()));
    require(again->data == message->data);
    require(again->toJson() == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t chunk = 1 + data[0] % 64;
    OV::LineFramer framer(kFuzzMaxLine);
    QList<QByteArray> lines;
    for (size_t pos = 1; pos < size; pos += chunk) {
        const size_t length = std::min(chunk, size - pos);
        lines += framer.push(QByteArray(reinterpret_cast<const char*>(data + pos), static_cast<qsizetype>(length)));
        require(framer.buffered() <= kFuzzMaxLine);
        if (framer.overflowed())
            require(framer.buffered() == 0);
    }
    for (const QByteArray& line : lines) {
        require(!line.isEmpty() && line.size() <= kFuzzMaxLine);
        require(!line.contains('\n'));
        require(!isSpace(line.front()) && !isSpace(line.back()));
        checkMessage(line);
    }
    return 0;
}
