#include "scene/HotkeyHidTable.h"

namespace OV {

const HotkeyHidTable& HotkeyHidTable::instance()
{
    static const HotkeyHidTable table;
    return table;
}

const HotkeyHidTable::KeyDefinition* HotkeyHidTable::firstByQtKey(int qtKey) const
{
    for (const KeyDefinition& row : m_rows) {
        if (row.qtKey == qtKey)
            return &row;
    }
    return nullptr;
}

void HotkeyHidTable::add(quint16 hidCode, const QString& name, int qtKey)
{
    m_rows.append(KeyDefinition{hidCode, name, qtKey});
    m_nameByCode.insert(hidCode, name);
    m_codeByName.insert(name, hidCode);
    m_codeByQtKey.insert(qtKey, hidCode);
}

// The hub reads these codes as they are; keep them even where two rows share a code.
HotkeyHidTable::HotkeyHidTable()
{
    for (int i = 0; i < 26; ++i)
        add(quint16(4 + i), QString(QChar('A' + i)), Qt::Key_A + i);
    for (int i = 0; i < 9; ++i)
        add(quint16(30 + i), QString(QChar('1' + i)), Qt::Key_1 + i);
    add(39, QStringLiteral("0"), Qt::Key_0);

    add(40, tr("Enter"), Qt::Key_Return);
    add(41, tr("Esc"), Qt::Key_Escape);
    add(42, tr("Backspace"), Qt::Key_Backspace);
    add(43, tr("Tab"), Qt::Key_Tab);
    add(44, tr("Space"), Qt::Key_Space);
    add(45, QStringLiteral("-"), Qt::Key_Minus);
    add(46, QStringLiteral("="), Qt::Key_Equal);
    add(47, QStringLiteral("["), Qt::Key_BracketLeft);
    add(48, QStringLiteral("]"), Qt::Key_BracketRight);
    add(49, QStringLiteral("\\"), Qt::Key_Backslash);
    add(51, QStringLiteral(";"), Qt::Key_Semicolon);
    add(52, QStringLiteral("'"), Qt::Key_Apostrophe);
    add(53, QStringLiteral("`"), Qt::Key_QuoteLeft);
    add(54, QStringLiteral(","), Qt::Key_Comma);
    add(55, QStringLiteral("."), Qt::Key_Period);
    add(56, QStringLiteral("/"), Qt::Key_Slash);
    add(57, tr("CapsLock"), Qt::Key_CapsLock);

    for (int i = 0; i < 12; ++i)
        add(quint16(58 + i), QStringLiteral("F%1").arg(i + 1), Qt::Key_F1 + i);

    add(70, tr("PrintScreen"), Qt::Key_Print);
    add(71, tr("ScrollLock"), Qt::Key_ScrollLock);
    add(72, tr("Pause"), Qt::Key_Pause);
    add(73, tr("Insert"), Qt::Key_Insert);
    add(74, tr("Home"), Qt::Key_Home);
    add(75, tr("PageUp"), Qt::Key_PageUp);
    add(76, tr("Delete"), Qt::Key_Delete);
    add(77, tr("End"), Qt::Key_End);
    add(78, tr("PageDown"), Qt::Key_PageDown);
    add(79, tr("Right"), Qt::Key_Right);
    add(80, tr("Left"), Qt::Key_Left);
    add(81, tr("Down"), Qt::Key_Down);
    add(82, tr("Up"), Qt::Key_Up);
    add(83, tr("NumLock"), Qt::Key_NumLock);

    add(84, tr("Keypad /"), Qt::Key_Slash);
    add(85, tr("Keypad *"), Qt::Key_Asterisk);
    add(86, tr("Keypad -"), Qt::Key_Minus);
    add(87, tr("Keypad +"), Qt::Key_Plus);
    add(88, tr("Keypad Enter"), Qt::Key_Enter);
    for (int i = 0; i < 9; ++i)
        add(quint16(89 + i), tr("Keypad %1").arg(i + 1), Qt::Key_1 + i);
    add(98, tr("Keypad 0"), Qt::Key_0);
    add(99, tr("Keypad ."), Qt::Key_Period);

    add(101, tr("Application"), Qt::Key_Menu);

    for (int i = 0; i < 12; ++i)
        add(quint16(104 + i), QStringLiteral("F%1").arg(i + 13), Qt::Key_F13 + i);

    add(102, tr("Power"), Qt::Key_PowerOff);
    add(103, tr("Sleep"), Qt::Key_Sleep);
    add(104, tr("Wake"), Qt::Key_WakeUp);

    add(224, tr("Left Ctrl"), -1);
    add(225, tr("Left Shift"), -1);
    add(226, tr("Left Alt"), -1);
    add(227, tr("Left Start"), -1);
    add(228, tr("Right Ctrl"), -1);
    add(229, tr("Right Shift"), -1);
    add(230, tr("Right Alt"), -1);
    add(231, tr("Right Start"), -1);

    add(224, tr("Ctrl"), Qt::Key_Control);
    add(225, tr("Shift"), Qt::Key_Shift);
    add(226, tr("Alt"), Qt::Key_Alt);
    add(227, tr("Start"), Qt::Key_Meta);
}

} // namespace OV
