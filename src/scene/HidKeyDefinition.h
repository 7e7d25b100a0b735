#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

namespace OV {

// One key of the on-screen keyboard. Codes: keyboard usages as they are, consumer-control
// usages plus 10000, system-control usages plus 20000 (what a hotkey action's "keys" hold).
struct HidKeyDefinition
{
    quint16 code = 0;
    // The keycap text; two-symbol keys carry the shifted character, a line feed, the plain one.
    QString label;
    // The key's text where one line is needed.
    QString name;

    // Consumer and system-control keys, which always stand alone in a combination.
    bool isSpecial() const { return code >= 10000; }
};

// Every on-screen key in keyboard order (134 entries over 131 records: Mute, Vol- and Vol+
// appear once more right after Pause). Built once, kept for the life of the process.
const QList<const HidKeyDefinition*>& allHidKeys();

// The first record of allHidKeys() with that code, or null.
const HidKeyDefinition* hidKeyByCode(quint16 code);

} // namespace OV
