#include "scene/HidKeyDefinition.h"
#include "scene/HotkeyHidTable.h"

#include <QSet>
#include <QTest>

using namespace OV;

class TestHidKeyTables : public QObject
{
    Q_OBJECT
private slots:
    void keyDefinitionList()
    {
        const auto& keys = allHidKeys();
        QCOMPARE(keys.size(), 134);
        QSet<const HidKeyDefinition*> distinct(keys.begin(), keys.end());
        QCOMPARE(distinct.size(), 131);
        // Mute, Vol-, Vol+ follow Pause and are the consumer block's own records.
        QCOMPARE(keys[15]->label, QStringLiteral("Pause"));
        QCOMPARE(keys[16]->code, quint16(10226));
        QCOMPARE(keys[17]->code, quint16(10234));
        QCOMPARE(keys[18]->code, quint16(10233));
        QCOMPARE(keys.count(keys[16]), 2);
        // The two Search records are separate but equal.
        QList<const HidKeyDefinition*> searches;
        for (const HidKeyDefinition* key : keys) {
            if (key->code == 10545)
                searches << key;
        }
        QCOMPARE(searches.size(), 2);
        QVERIFY(searches[0] != searches[1]);
        QCOMPARE(searches[1], keys.last());
        int twoLine = 0;
        for (const HidKeyDefinition* key : distinct)
            twoLine += key->label.contains(QLatin1Char('\n')) ? 1 : 0;
        QCOMPARE(twoLine, 21);
    }

    void lookupByCode_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("name");
        QTest::newRow("0 missing") << 0 << QString() << QString();
        QTest::newRow("50 missing") << 50 << QString() << QString();
        QTest::newRow("104 missing") << 104 << QString() << QString();
        QTest::newRow("search") << 10545 << QStringLiteral("Search") << QStringLiteral("Search");
        QTest::newRow("up") << 82 << QStringLiteral("\u2191") << QStringLiteral("Up");
        QTest::newRow("backslash") << 49 << QStringLiteral("|\n\\") << QStringLiteral("\\");
        QTest::newRow("quote") << 52 << QStringLiteral("\"\n'") << QStringLiteral("'");
        QTest::newRow("grave") << 53 << QStringLiteral("~\n`") << QStringLiteral("`");
        QTest::newRow("volume up") << 10233 << QStringLiteral("Vol+") << QStringLiteral("Volume+");
        QTest::newRow("media player") << 10387 << QStringLiteral("Media") << QStringLiteral("MediaPlayer");
        QTest::newRow("wake") << 20131 << QStringLiteral("Wake") << QStringLiteral("Wake");
        QTest::newRow("print screen") << 70 << QStringLiteral("PrSc") << QStringLiteral("PrtSc");
    }

    void lookupByCode()
    {
        QFETCH(int, code);
        QFETCH(QString, label);
        QFETCH(QString, name);
        const HidKeyDefinition* key = hidKeyByCode(quint16(code));
        if (label.isNull()) {
            QVERIFY(!key);
            return;
        }
        QVERIFY(key);
        QCOMPARE(key->label, label);
        QCOMPARE(key->name, name);
    }

    void hotkeyTable()
    {
        const HotkeyHidTable& table = HotkeyHidTable::instance();
        QCOMPARE(table.rows().size(), 123);
        QCOMPARE(table.codeByName().value(QStringLiteral("Wake")), quint16(104));
        QCOMPARE(table.codeByName().value(QStringLiteral("F13")), quint16(104));
        QCOMPARE(table.nameByCode().value(104), QStringLiteral("Wake"));
        QCOMPARE(table.nameByCode().value(224), QStringLiteral("Ctrl"));
        QCOMPARE(table.nameByCode().value(89), QStringLiteral("Keypad 1"));
        // Later rows win in the Qt-key index (keypad 1 after the main 1), the first in a lookup.
        QCOMPARE(table.codeByQtKey().value(Qt::Key_1), quint16(89));
        QCOMPARE(table.firstByQtKey(Qt::Key_1)->hidCode, quint16(30));
        QCOMPARE(table.firstByQtKey(Qt::Key_Control)->hidCode, quint16(224));
        QCOMPARE(table.firstByQtKey(Qt::Key_Asterisk)->hidCode, quint16(85));
        QCOMPARE(table.firstByQtKey(Qt::Key_Sleep)->hidCode, quint16(103));
        QVERIFY(!table.firstByQtKey(Qt::Key_VolumeUp));
        QCOMPARE(table.rows().first().name, QStringLiteral("A"));
        QCOMPARE(table.rows().last().name, QStringLiteral("Start"));
    }
};

QTEST_GUILESS_MAIN(TestHidKeyTables)
#include "tst_HidKeyTables.moc"
