#include "scene/HidKeyDefinition.h"

#include <QHash>

#include <array>

namespace OV {

namespace {

struct KeyRow
{
    quint16 code;
    const char16_t* label;
    const char16_t* name;
};

// The on-screen keys in keyboard order. The hub relies on these exact codes.
constexpr std::array<KeyRow, 131> kKeyRows = {{
    {41, u"Esc", u"Esc"},
    {58, u"F1", u"F1"},
    {59, u"F2", u"F2"},
    {60, u"F3", u"F3"},
    {61, u"F4", u"F4"},
    {62, u"F5", u"F5"},
    {63, u"F6", u"F6"},
    {64, u"F7", u"F7"},
    {65, u"F8", u"F8"},
    {66, u"F9", u"F9"},
    {67, u"F10", u"F10"},
    {68, u"F11", u"F11"},
    {69, u"F12", u"F12"},
    {70, u"PrSc", u"PrtSc"},
    {71, u"ScLk", u"ScrLk"},
    {72, u"Pause", u"Pause"},
    {53, u"~\n`", u"`"},
    {30, u"!\n1", u"1"},
    {31, u"@\n2", u"2"},
    {32, u"#\n3", u"3"},
    {33, u"$\n4", u"4"},
    {34, u"%\n5", u"5"},
    {35, u"^\n6", u"6"},
    {36, u"&\n7", u"7"},
    {37, u"*\n8", u"8"},
    {38, u"(\n9", u"9"},
    {39, u")\n0", u"0"},
    {45, u"-\n-", u"-"},
    {46, u"+\n=", u"="},
    {42, u"Backspace", u"Backspace"},
    {43, u"Tab", u"Tab"},
    {20, u"Q", u"Q"},
    {26, u"W", u"W"},
    {8, u"E", u"E"},
    {21, u"R", u"R"},
    {23, u"T", u"T"},
    {28, u"Y", u"Y"},
    {24, u"U", u"U"},
    {12, u"I", u"I"},
    {18, u"O", u"O"},
    {19, u"P", u"P"},
    {47, u"{\n[", u"["},
    {48, u"}\n]", u"]"},
    {49, u"|\n\\", u"\\"},
    {57, u"Caps", u"Caps"},
    {4, u"A", u"A"},
    {22, u"S", u"S"},
    {7, u"D", u"D"},
    {9, u"F", u"F"},
    {10, u"G", u"G"},
    {11, u"H", u"H"},
    {13, u"J", u"J"},
    {14, u"K", u"K"},
    {15, u"L", u"L"},
    {51, u":\n;", u";"},
    {52, u"\"\n'", u"'"},
    {40, u"Enter", u"Enter"},
    {225, u"Shift", u"Shift"},
    {29, u"Z", u"Z"},
    {27, u"X", u"X"},
    {6, u"C", u"C"},
    {25, u"V", u"V"},
    {5, u"B", u"B"},
    {17, u"N", u"N"},
    {16, u"M", u"M"},
    {54, u"<\n,", u","},
    {55, u">\n.", u"."},
    {56, u"?\n/", u"/"},
    {229, u"Shift", u"Shift"},
    {224, u"Ctrl", u"Ctrl"},
    {227, u"Start", u"Start"},
    {226, u"Alt", u"Alt"},
    {44, u"Space", u"Space"},
    {230, u"Alt", u"Alt"},
    {231, u"Start", u"Start"},
    {101, u"Menu", u"Menu"},
    {228, u"Ctrl", u"Ctrl"},
    {73, u"Ins", u"Ins"},
    {74, u"Home", u"Home"},
    {75, u"PgUp", u"PgUp"},
    {76, u"Del", u"Del"},
    {77, u"End", u"End"},
    {78, u"PgDn", u"PgDn"},
    {82, u"\u2191", u"Up"},
    {80, u"\u2190", u"Left"},
    {81, u"\u2193", u"Down"},
    {79, u"\u2192", u"Right"},
    {83, u"Num", u"Num"},
    {84, u"/", u"/"},
    {85, u"*", u"*"},
    {86, u"-", u"-"},
    {95, u"7", u"7"},
    {96, u"8", u"8"},
    {97, u"9", u"9"},
    {87, u"+", u"+"},
    {92, u"4", u"4"},
    {93, u"5", u"5"},
    {94, u"6", u"6"},
    {89, u"1", u"1"},
    {90, u"2", u"2"},
    {91, u"3", u"3"},
    {88, u"Enter", u"Enter"},
    {98, u"0", u"0"},
    {99, u".", u"."},
    {20129, u"Power", u"Power"},
    {20130, u"Sleep", u"Sleep"},
    {20131, u"Wake", u"Wake"},
    {10111, u"Brightness+", u"Brightness+"},
    {10112, u"Brightness-", u"Brightness-"},
    {10177, u"Display Toggle", u"Display Toggle"},
    {10182, u"Previous", u"Previous"},
    {10181, u"Next", u"Next"},
    {10205, u"Play/Pause", u"Play/Pause"},
    {10183, u"Stop", u"Stop"},
    {10180, u"Rewind", u"Rewind"},
    {10179, u"Fast Forward", u"Fast Forward"},
    {10233, u"Vol+", u"Volume+"},
    {10234, u"Vol-", u"Volume-"},
    {10226, u"Mute", u"Mute"},
    {10548, u"Back", u"Back"},
    {10549, u"Forward", u"Forward"},
    {10551, u"Refresh", u"Refresh"},
    {10550, u"Stop", u"Stop"},
    {10545, u"Search", u"Search"},
    {10546, u"Favorites", u"Favorites"},
    {10547, u"Home", u"Home"},
    {10394, u"Mail", u"Mail"},
    {10402, u"Calculator", u"Calculator"},
    {10387, u"Media", u"MediaPlayer"},
    {10404, u"Computer", u"MyComputer"},
    {10545, u"Search", u"Search"},
}};

// "Pause" is followed by these once more (Mute, Vol-, Vol+), so the top row carries them.
constexpr std::array<quint16, 3> kRepeatedAfterPause = {10226, 10234, 10233};
constexpr quint16 kPauseCode = 72;

QList<const HidKeyDefinition*> buildAllKeys()
{
    // Records live as long as the process; the list only points at them.
    static const std::array<HidKeyDefinition, kKeyRows.size()> records = [] {
        std::array<HidKeyDefinition, kKeyRows.size()> list;
        for (size_t i = 0; i < kKeyRows.size(); ++i) {
            list[i] = HidKeyDefinition{kKeyRows[i].code, QString::fromUtf16(kKeyRows[i].label),
                                       QString::fromUtf16(kKeyRows[i].name)};
        }
        return list;
    }();
    const auto consumerRecord = [](quint16 code) -> const HidKeyDefinition* {
        // The repeated keys are the consumer block's own records (codes 10000 and above).
        for (const HidKeyDefinition& record : records) {
            if (record.code == code)
                return &record;
        }
        return nullptr;
    };
    QList<const HidKeyDefinition*> keys;
    keys.reserve(int(records.size() + kRepeatedAfterPause.size()));
    for (const HidKeyDefinition& record : records) {
        keys.append(&record);
        if (record.code == kPauseCode) {
            for (quint16 code : kRepeatedAfterPause)
                keys.append(consumerRecord(code));
        }
    }
    return keys;
}

} // namespace

const QList<const HidKeyDefinition*>& allHidKeys()
{
    static const QList<const HidKeyDefinition*> keys = buildAllKeys();
    return keys;
}

const HidKeyDefinition* hidKeyByCode(quint16 code)
{
    static const QHash<quint16, const HidKeyDefinition*> byCode = [] {
        QHash<quint16, const HidKeyDefinition*> index;
        for (const HidKeyDefinition* key : allHidKeys()) {
            if (!index.contains(key->code))
                index.insert(key->code, key);
        }
        return index;
    }();
    return byCode.value(code, nullptr);
}

} // namespace OV
