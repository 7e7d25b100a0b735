#pragma once

#include <QString>

#include <cstdint>

namespace OV {

// The hub a session talks to, as the project's host record holds it. The field names and types
// are the host record's, so the record type can stand in this place unchanged.
struct KestrinHost
{
    QString connType;
    QString name;
    QString ip;
    int32_t port = 0;
    QString sn;
    // The pairing token in its stored (scrambled) form.
    QString token;
};

} // namespace OV
