// Every text field of every record kind reads back exactly as written, a leading U+FEFF (text
// pasted from a file with a byte order mark) included, whichever reader the stored text takes.

#include "project/ProjectDatabase.h"
#include "project/ProjectDbAccessors.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace OV;
using json = nlohmann::json;

namespace {

const QChar kBom(0xFEFF);

// A columns member the quick reader leaves to the library: the record then takes the
// fallback path for all its fields.
json deepValue()
{
    json value = json::array();
    for (int i = 0; i < 300; ++i)
        value = json::array({value});
    return value;
}

} // namespace

class TestRecordTextRoundTrip : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::shared_ptr<ProjectDatabase> m_db;

    // Stores the bean with every text field set to the value (each field its own variant of
    // it), reads it back by id and in a list, with and without its document, and as the
    // fallback reader gives it; each time every field must equal what was written.
    template <typename Bean>
    void roundTrip(const QString& value, const std::function<QList<QString*>(Bean&)>& fields,
                   const std::function<void(Bean&)>& valid = {})
    {
        ProjectDbBaseAccessor<Bean> accessor(m_db, QString::fromLatin1(Bean::kRecordType));
        Bean written;
        if (valid)
            valid(written);
        QStringList expected;
        int n = 0;
        for (QString* field : fields(written)) {
            *field = value + QString::number(n++);
            expected << *field;
        }
        const BaseResult<void> inserted = accessor.insert(written);
        QVERIFY2(inserted.isOk(), qPrintable(inserted.message));

        const auto check = [&](const std::shared_ptr<Bean>& read, const char* how) {
            QVERIFY2(read, how);
            QStringList got;
            for (QString* field : fields(*read))
                got << *field;
            for (int i = 0; i < expected.size(); ++i) {
                QVERIFY2(got[i] == expected[i], qPrintable(QStringLiteral("%1, field %2: %3 chars, expected %4")
                                                               .arg(QLatin1String(how))
                                                               .arg(i)
                                                               .arg(got[i].size())
                                                               .arg(expected[i].size())));
            }
        };
        const auto byId = accessor.findById(written.id);
        QVERIFY(byId.isOk());
        check(*byId.data, "by id");
        for (bool withData : {false, true}) {
            const auto all = accessor.findAll(withData);
            QVERIFY(all.isOk() && all.data->size() == 1 && all.message.isEmpty());
            check(all.data->front(), withData ? "list with document" : "list without document");
        }

        // The same row with a member only the library reads.
        const auto record = m_db->findById(written.id);
        QVERIFY(record.isOk() && *record.data);
        JsonStoreRecord changed = **record.data;
        json columns = json::parse(changed.columns.toStdString());
        columns["zz"] = deepValue();
        changed.columns = QString::fromStdString(columns.dump());
        QVERIFY(m_db->update(changed).isOk());
        const auto fallback = accessor.findById(written.id);
        QVERIFY2(fallback.isOk(), qPrintable(fallback.message));
        check(*fallback.data, "fallback reader");
        QVERIFY(accessor.remove(written.id).isOk());
    }

private slots:
    void init()
    {
        m_db = std::make_shared<ProjectDatabase>();
        QVERIFY(m_db->open(m_dir.filePath(QStringLiteral("texts.ovpf")), true, QStringLiteral("sql_cn_texts")).isOk());
    }

    void cleanup() { m_db.reset(); }

    void everyKind_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("byte order mark alone") << QString(kBom);
        QTest::newRow("byte order mark, then plain text") << kBom + QStringLiteral("Desk");
        QTest::newRow("byte order mark and an escaped quote") << kBom + QStringLiteral("De\"sk");
        QTest::newRow("byte order mark and a line break") << kBom + QStringLiteral("a\nb");
        QTest::newRow("byte order mark and a backslash after non-BMP text")
            << kBom + QString::fromUtf8("\xF0\x9F\x98\x80\\");
        QTest::newRow("two byte order marks and a tab") << QString(kBom) + kBom + QStringLiteral("x\t");
        QTest::newRow("byte order mark inside, escape first") << QStringLiteral("\"") + kBom;
    }

    void everyKind()
    {
        QFETCH(QString, value);
        roundTrip<ProjectDbHostBean>(
            value,
            [](ProjectDbHostBean& b) {
                return QList<QString*>{&b.name, &b.ip, &b.sn, &b.token};
            },
            [](ProjectDbHostBean& b) { b.connType = QStringLiteral("usb"); });
        // An integration's one text field takes three fixed values only; its settings live in
        // the document.
        roundTrip<ProjectDbMetaBean>(value,
                                     [](ProjectDbMetaBean& b) { return QList<QString*>{&b.create_app_version_name}; });
        roundTrip<ProjectDbModuleBean>(
            value,
            [](ProjectDbModuleBean& b) {
                return QList<QString*>{&b.name, &b.sn};
            },
            [](ProjectDbModuleBean& b) {
                b.gatewayType = QStringLiteral("can");
                b.productId = 0x10000001;
            });
        roundTrip<ProjectDbPluginBean>(
            value,
            [](ProjectDbPluginBean& b) {
                return QList<QString*>{&b.icon, &b.name, &b.author, &b.versionName, &b.desc};
            },
            [](ProjectDbPluginBean& b) {
                b.k1 = QStringLiteral("uuid-1");
                b.k2 = QStringLiteral("0");
                b.versionCode = 1;
            });
        roundTrip<ProjectDbProfileBean>(value, [](ProjectDbProfileBean& b) {
            return QList<QString*>{&b.name, &b.icon};
        });
        roundTrip<ProjectDbProfileKsWidgetBean>(
            value,
            [](ProjectDbProfileKsWidgetBean& b) {
                return QList<QString*>{&b.name, &b.icon, &b.widgetType};
            },
            [](ProjectDbProfileKsWidgetBean& b) {
                b.k1 = QStringLiteral("1");
                b.profileId = 1;
                b.uid = QStringLiteral("card-1");
            });
    }
};

QTEST_GUILESS_MAIN(TestRecordTextRoundTrip)
#include "tst_RecordTextRoundTrip.moc"
