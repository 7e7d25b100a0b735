#pragma once

#include <QCoreApplication>
#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

namespace OV {

// The keyboard keys a recorded hotkey can hold, by the Qt key of their key events.
class HotkeyHidTable
{
    Q_DECLARE_TR_FUNCTIONS(HotkeyHidTable)
public:
    struct KeyDefinition
    {
        quint16 hidCode = 0;
        QString name;
        // -1 for the left/right modifier rows, which no key event matches.
        int qtKey = -1;
    };

    // The one table, built on first use.
    static const HotkeyHidTable& instance();

    const QList<KeyDefinition>& rows() const { return m_rows; }
    // Indexes filled in row order, a later row replacing an earlier one with the same key.
    const QHash<quint16, QString>& nameByCode() const { return m_nameByCode; }
    const QHash<QString, quint16>& codeByName() const { return m_codeByName; }
    const QHash<int, quint16>& codeByQtKey() const { return m_codeByQtKey; }

    // The first row (in list order) whose Qt key is qtKey, or null.
    const KeyDefinition* firstByQtKey(int qtKey) const;

private:
    HotkeyHidTable();
    void add(quint16 hidCode, const QString& name, int qtKey);

    QList<KeyDefinition> m_rows;
    QHash<quint16, QString> m_nameByCode;
    QHash<QString, quint16> m_codeByName;
    QHash<int, quint16> m_codeByQtKey;
};

} // namespace OV
