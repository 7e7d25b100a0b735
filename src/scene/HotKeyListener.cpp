#include "scene/HotKeyListener.h"

#include <QCoreApplication>
#include <QHash>
#include <QKeyEvent>

#include <algorithm>

namespace OV {

namespace {

// What the on-screen keyboard gives for these keys (system-control usages plus 20000); the
// table's keyboard codes would be keypad "=" and F13.
constexpr quint16 kSleepCode = 20130;
constexpr quint16 kWakeCode = 20131;

bool isModifier(int qtKey)
{
    return qtKey >= Qt::Key_Shift && qtKey <= Qt::Key_Alt;
}

// Shifted symbols of the US layout and the key that carries them.
const QHash<int, int>& shiftedBaseKeys()
{
    static const QHash<int, int> keys = {{Qt::Key_Exclam, Qt::Key_1},
                                         {Qt::Key_At, Qt::Key_2},
                                         {Qt::Key_NumberSign, Qt::Key_3},
                                         {Qt::Key_Dollar, Qt::Key_4},
                                         {Qt::Key_Percent, Qt::Key_5},
                                         {Qt::Key_AsciiCircum, Qt::Key_6},
                                         {Qt::Key_Ampersand, Qt::Key_7},
                                         {Qt::Key_ParenLeft, Qt::Key_9},
                                         {Qt::Key_ParenRight, Qt::Key_0},
                                         {Qt::Key_Underscore, Qt::Key_Minus},
                                         {Qt::Key_BraceLeft, Qt::Key_BracketLeft},
                                         {Qt::Key_BraceRight, Qt::Key_BracketRight},
                                         {Qt::Key_Bar, Qt::Key_Backslash},
                                         {Qt::Key_Colon, Qt::Key_Semicolon},
                                         {Qt::Key_QuoteDbl, Qt::Key_Apostrophe},
                                         {Qt::Key_Less, Qt::Key_Comma},
                                         {Qt::Key_Greater, Qt::Key_Period},
                                         {Qt::Key_Question, Qt::Key_Slash},
                                         {Qt::Key_AsciiTilde, Qt::Key_QuoteLeft},
                                         {Qt::Key_Backtab, Qt::Key_Tab}};
    return keys;
}

} // namespace

HotKeyListener::HotKeyListener(QObject* parent) : QObject(parent) {}

HotKeyListener::~HotKeyListener()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

std::optional<HotkeyHidTable::KeyDefinition> HotKeyListener::rowFor(int qtKey)
{
    const HotkeyHidTable& table = HotkeyHidTable::instance();
    if (qtKey == Qt::Key_Sleep)
        return HotkeyHidTable::KeyDefinition{kSleepCode, table.nameByCode().value(103), qtKey};
    if (qtKey == Qt::Key_WakeUp)
        return HotkeyHidTable::KeyDefinition{kWakeCode, table.nameByCode().value(104), qtKey};
    const HotkeyHidTable::KeyDefinition* row = table.firstByQtKey(qtKey);
    if (!row && shiftedBaseKeys().contains(qtKey))
        row = table.firstByQtKey(shiftedBaseKeys().value(qtKey));
    if (!row)
        return std::nullopt;
    return *row;
}

quint64 HotKeyListener::physicalKey(const QKeyEvent* event)
{
    // The scan code names the key itself on every layout and with any modifier; events without
    // native data (synthesised ones) fall back to the Qt key.
    if (event->nativeScanCode() != 0)
        return (quint64(1) << 40) | event->nativeScanCode();
    if (event->nativeVirtualKey() != 0)
        return (quint64(2) << 40) | event->nativeVirtualKey();
    return (quint64(3) << 40) | quint32(event->key());
}

QList<HotkeyHidTable::KeyDefinition> HotKeyListener::pressedKeys() const
{
    QList<HotkeyHidTable::KeyDefinition> keys;
    for (const HeldKey& held : m_pressed) {
        if (held.row)
            keys.append(*held.row);
    }
    std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
        const bool modA = isModifier(a.qtKey);
        const bool modB = isModifier(b.qtKey);
        if (modA != modB)
            return modA;
        return a.hidCode < b.hidCode;
    });
    return keys;
}

void HotKeyListener::clearPressed()
{
    m_pressed.clear();
    m_holding = false;
}

bool HotKeyListener::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->isAutoRepeat() || key->key() == Qt::Key_unknown)
        return false;
    const quint64 id = physicalKey(key);
    const auto held = std::find_if(m_pressed.begin(), m_pressed.end(),
                                   [id](const HeldKey& entry) { return entry.physicalKey == id; });
    if (event->type() == QEvent::KeyRelease) {
        if (held != m_pressed.end())
            m_pressed.erase(held);
        if (m_pressed.isEmpty())
            m_holding = false;
        return false;
    }
    if (!m_holding) {
        m_pressed.clear();
        m_holding = true;
    }
    if (held == m_pressed.end()) {
        std::optional<HotkeyHidTable::KeyDefinition> row = rowFor(key->key());
        // The twin of a held key (the other Shift) adds no second code.
        if (row && std::any_of(m_pressed.begin(), m_pressed.end(), [&row](const HeldKey& entry) {
                return entry.row && entry.row->hidCode == row->hidCode;
            }))
            row.reset();
        m_pressed.append(HeldKey{id, row});
    }
    if (m_callback)
        m_callback(pressedKeys());
    return false;
}

} // namespace OV
