#pragma once

#include <QByteArray>

#include <deque>
#include <mutex>
#include <string>

namespace OV {

// What the log shows of the lines exchanged with the hub. Secrets are replaced by their length:
// the pairing token (the data of a token check, any "token" member), passwords and keys (any
// "password" or "apiKey" member, at any depth), and the screen cube's Wi-Fi setting (module
// property 256/7), written or read back: a property read's reply is hidden unless its request
// read another property. A line that can hold none of them (printable ASCII without escapes,
// none of those names, no such act, no such reply awaited) is shown as it is;
// any other is read, and one that is not a plain JSON object (nesting past the quick reader's
// depth included) shows its length only.
// Message ids are unique in the process, so one instance serves every session; it may be used
// from any thread.
class HubLineLog
{
public:
    // The text of a line sent; the id of a request whose reply carries a secret is remembered.
    std::string sent(const QByteArray& line);
    // The text of a line received.
    std::string received(const QByteArray& line);

private:
    // Ids of requests whose replies are hidden whole, and of property reads whose replies are
    // not (any other property read's reply is hidden); each list keeps the newest few.
    std::deque<std::string> m_secretReplies;
    std::deque<std::string> m_plainReads;
    std::mutex m_mutex;
};

} // namespace OV
