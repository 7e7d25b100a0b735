#pragma once

#include <QString>

namespace OV {

// One hub found on the local network, as it describes itself in its discovery reply.
struct KestrinSearchResult
{
    QString sn;
    QString ip;
    int port = 0;
};

} // namespace OV
