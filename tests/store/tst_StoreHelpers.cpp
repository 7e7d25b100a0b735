#include "project/ProjectDatabase.h"
#include "store/StoreFileUtils.h"
#include "store/StoreUtils.h"
#include "store/ZipUtils.h"
#include "support/DeployTestUtils.h"
#include "support/HostileZip.h"
#include "support/ProjectTestUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <iconv.h>

using namespace OV;

namespace {

// Code page 437 as the C library converts it; null when it cannot.
QString fromCp437(const QByteArray& bytes)
{
    const iconv_t cd = iconv_open("UTF-8", "CP437");
    if (cd == iconv_t(-1))
        return {};
    QByteArray out(bytes.size() * 4, '\0');
    char* in = const_cast<char*>(bytes.constData());
    char* to = out.data();
    size_t inLeft = size_t(bytes.size());
    size_t outLeft = size_t(out.size());
    const bool done = iconv(cd, &in, &inLeft, &to, &outLeft) != size_t(-1) && inLeft == 0;
    iconv_close(cd);
    return done ? QString::fromUtf8(out.constData(), out.size() - qsizetype(outLeft)) : QString();
}

} // namespace

class TestStoreHelpers : public QObject
{
    Q_OBJECT
private slots:
    void zipCorpusReplay()
    {
        const QDir corpus(QStringLiteral(ORVEL_TEST_DATA_DIR "/store/zip_corpus"));
        const QStringList files = corpus.entryList({QStringLiteral("*.zip")}, QDir::Files);
        QVERIFY(files.size() >= 30);
        for (const QString& file : files) {
            const QByteArray zip = Test::fileBytes(corpus.filePath(file));
            const bool valid = file.startsWith(QLatin1String("valid-"));
            QVERIFY2(readZipEntry(zip, QStringLiteral("config.json")).isEmpty() != valid, qPrintable(file));
            // Every cut of the archive is read without touching memory outside it.
            for (qsizetype cut = 0; cut < zip.size(); ++cut)
                readZipEntry(zip.left(cut), QStringLiteral("config.json"));
        }
    }

    void zipReadsExactlyTheNamedEntry()
    {
        const QMap<QString, QByteArray> files = {{QStringLiteral("config.json"), R"({"name":"plugin"})"},
                                                 {QStringLiteral("images/ä.png"), "png"},
                                                 {QStringLiteral("images/config.json"), "nested"},
                                                 {QStringLiteral("empty.txt"), {}}};
        const QByteArray zip = Test::makeZip(files);
        for (auto it = files.begin(); it != files.end(); ++it)
            QCOMPARE(readZipEntry(zip, it.key()), it.value());
        for (const char* name : {"Config.json", "images", "ä.png"})
            QVERIFY2(readZipEntry(zip, QString::fromUtf8(name)).isEmpty(), name);
    }

    // Every reader, the one-member reader too, applies the package limits before it allocates,
    // and wants local headers that agree with the directory.
    void zipLimitsAndHeadersHoldForEveryReader()
    {
        constexpr qint64 kMember = 64ll * 1024 * 1024;
        using Test::HostileZipMember;
        const QByteArray ok(177, 'a');
        struct Case
        {
            const char* tag;
            QByteArray zip;
            bool readable;
            const char* why;
            const char* tree = nullptr; // what a readable one unpacks to, when given: paths joined by spaces
        };
        QList<HostileZipMember> many;
        for (int i = 0; i <= 10000; ++i)
            many.append({QByteArray("m") + QByteArray::number(i), {}, false});
        QList<HostileZipMember> large;
        for (int i = 0; i < 5; ++i) {
            HostileZipMember member{QByteArray("p") + QByteArray::number(i), "x"};
            member.localUncompressed = member.centralUncompressed = 60u << 20;
            large.append(member);
        }
        large.prepend({"a.png", ok});
        HostileZipMember lying{"a.png", ok};
        lying.localCompressed = lying.localUncompressed = 0x7FFFFFF0;
        HostileZipMember lyingCrc{"a.png", ok};
        lyingCrc.localCrc = 0x12345678;
        HostileZipMember zeroNoDescriptor{"a.png", ok};
        zeroNoDescriptor.localCrc = zeroNoDescriptor.localCompressed = zeroNoDescriptor.localUncompressed = 0;
        HostileZipMember descriptor = zeroNoDescriptor;
        descriptor.flags = 0x0008;
        descriptor.descriptor = 16;
        HostileZipMember descriptorFull{"a.png", ok};
        descriptorFull.flags = 0x0008;
        descriptorFull.descriptor = 12;
        HostileZipMember understated{"a.png", ok};
        understated.centralUncompressed = 10;

        // Readers that take another end record, or shift offsets by a gap, see other members.
        const QByteArray plain = Test::hostileZip({{"a.png", ok}});
        QByteArray gap = plain;
        gap.insert(gap.size() - 22, QByteArray(16, '\0'));
        auto withComment = [](QByteArray zip, const QByteArray& comment) {
            zip[zip.size() - 2] = char(comment.size() & 0xFF);
            zip[zip.size() - 1] = char(comment.size() >> 8);
            return zip + comment;
        };
        // A whole archive in the comment, its offsets moved to where it lies, ending the file too.
        QByteArray hidden = Test::hostileZip({{"a.png", "evil", false}});
        const qint64 at = plain.size();
        auto shift32 = [&](qsizetype pos) {
            quint32 value = 0;
            for (int i = 3; i >= 0; --i)
                value = value << 8 | quint8(hidden[pos + i]);
            value += quint32(at);
            for (int i = 0; i < 4; ++i)
                hidden[pos + i] = char((value >> (8 * i)) & 0xFF);
        };
        shift32(hidden.size() - 22 + 16 + 0);
        shift32(30 + 5 + 4 + 42);
        // One stored member holds a whole second one, which the directory names as well.
        const QByteArray innerLocal = Test::hostileZip({{"c.txt", "inner", false}}).left(30 + 5 + 5);
        HostileZipMember inside{"c.txt", "inner", false};
        inside.centralLocalOffset = quint32(30 + 5 + ok.size() + 30 + 5);
        const QByteArray deep = QByteArray("a/").repeated(505) + "f";
        const QByteArray longName = QByteArray(QByteArray(30, 'n') + '/').repeated(16) + QByteArray(40, 'f');
        // Members changed from what a sound writer makes, each one way.
        auto changed = [](HostileZipMember member, const auto& change) {
            change(member);
            return member;
        };
        auto withDescriptor = [&](int bytes, quint16 flags = 0x0008) {
            return changed(HostileZipMember{"a.png", ok}, [&](HostileZipMember& m) {
                m.flags = flags;
                m.descriptor = bytes;
            });
        };
        const HostileZipMember other{"b.txt", "other"};
        const HostileZipMember unlisted =
            changed({"config.json", R"({"hidden":true})"}, [](HostileZipMember& m) { m.listed = false; });
        // An Info-ZIP Unicode Path extra field naming another file than the header.
        QByteArray unicodePath("\x75\x70\x10\x00\x01", 5);
        unicodePath += QByteArray(4, '\0') + "config.json";
        auto folders = [](int members, int depth) {
            QList<HostileZipMember> list;
            for (int i = 0; i < members; ++i) {
                QByteArray name = "d" + QByteArray::number(i);
                for (int level = 1; level < depth; ++level)
                    name += "/" + QByteArray::number(level);
                list.append({name + "/f", "", false});
            }
            return list;
        };
        const QByteArray twoByte = QByteArray("\xc3\xa9").repeated(100);
        auto unflagged = [&](const QByteArray& name) { return changed({name, "1"}, [](auto& m) { m.flags = 0; }); };
        const QByteArray cp437Long = QByteArray(QByteArray("\x82").repeated(120) + '/').repeated(3) + "f";
        // Every upper byte of code page 437, in a folder and a file within a segment's bound, read
        // as the C library reads them.
        QByteArray upperFolder;
        QByteArray upperFile;
        for (int c = 0x80; c <= 0xFF; ++c)
            (c < 0xC0 ? upperFolder : upperFile) += char(c);
        const QByteArray cp437Tree =
            ("a.png " + fromCp437(upperFolder) + ' ' + fromCp437(upperFolder + '/' + upperFile)).toUtf8();
        const QByteArray bom("\xef\xbb\xbf");
        const QByteArray bomTree = "a.png " + bom + "b.txt";
        // One folder packed by everyday packers: accented and CJK names.
        const QString packages = QStringLiteral(ORVEL_TEST_DATA_DIR "/store/package_corpus/");
        const char* packedTree = "a.png config.json icons icons/café.png icons/one.png 文件夹 文件夹/图标.png";

        const QList<Case> cases = {
            {"bomb", Test::zipBomb("a.png", kMember + 1), false, "member too large: a.png"},
            {"count", Test::hostileZip(QList<HostileZipMember>{{"a.png", ok}} + many), false, "too many members"},
            {"total", Test::hostileZip(large), false, "package too large when unpacked"},
            {"local sizes", Test::hostileZip({{"config.json", "{}"}, lying}), false, "damaged local header: a.png"},
            {"local crc", Test::hostileZip({lyingCrc}), false, "damaged local header: a.png"},
            {"local zero", Test::hostileZip({zeroNoDescriptor}), false, "damaged local header: a.png"},
            {"understated", Test::hostileZip({understated}), false, "damaged local header: a.png"},
            {"descriptor zero", Test::hostileZip({descriptor, other}), true, ""},
            {"descriptor sizes", Test::hostileZip({descriptorFull}), true, ""},
            {"descriptor missing", Test::hostileZip({withDescriptor(0), other}), false,
             "missing or damaged data descriptor: a.png"},
            {"descriptor missing at the directory", Test::hostileZip({withDescriptor(0)}), false,
             "missing or damaged data descriptor: a.png"},
            {"descriptor of 8 bytes", Test::hostileZip({withDescriptor(8), other}), false,
             "missing or damaged data descriptor: a.png"},
            {"descriptor without flag", Test::hostileZip({withDescriptor(12, 0), other}), false,
             "bytes outside the members"},
            {"local header before members", Test::hostileZip({unlisted, {"a.png", ok}}), false,
             "local header outside the directory"},
            {"local header between members", Test::hostileZip({{"a.png", ok}, unlisted, other}), false,
             "local header outside the directory"},
            {"unicode path", Test::hostileZip({changed({"a.png", ok}, [&](auto& m) { m.centralExtra = unicodePath; })}),
             false, "Unicode path extra field: a.png"},
            {"unicode path local",
             Test::hostileZip({changed({"a.png", ok}, [&](auto& m) { m.localExtra = unicodePath; })}), false,
             "Unicode path extra field: a.png"},
            {"name not marked utf-8", Test::hostileZip({{"a.png", ok}, unflagged("\xc3\xa9.txt")}), true, "",
             "a.png \xc3\xa9.txt"},
            {"code page 437", Test::hostileZip({{"a.png", ok}, unflagged("caf\x82.txt")}), true, "",
             "a.png caf\xc3\xa9.txt"},
            {"code page 437 long as read", Test::hostileZip({{"a.png", ok}, unflagged(cp437Long)}), false,
             "member name longer than 512 bytes"},
            {"code page 437 segment long as read", Test::hostileZip({{"a.png", ok}, unflagged(QByteArray(86, '\xb0'))}),
             false, "unsafe member name"},
            {"code page 437 upper half", Test::hostileZip({{"a.png", ok}, unflagged(upperFolder + '/' + upperFile)}),
             true, "", cp437Tree.constData()},
            {"byte-order mark", Test::hostileZip({{"a.png", ok}, unflagged(bom + "b.txt")}), true, "",
             bomTree.constData()},
            {"byte-order mark marked utf-8", Test::hostileZip({{"a.png", ok}, {bom + "b.txt", "1"}}), true, "",
             bomTree.constData()},
            {"delete", Test::hostileZip({{"a.png", ok}, {"b\x7f.txt", "1"}}), false, "unsafe member name"},
            {"C1 control first", Test::hostileZip({{"a.png", ok}, unflagged("b\xc2\x80.txt")}), false,
             "unsafe member name"},
            {"C1 control last marked utf-8", Test::hostileZip({{"a.png", ok}, {"b\xc2\x9f.txt", "1"}}), false,
             "unsafe member name"},
            {"leading dot", Test::hostileZip({{"./", ""}, {"./a.png", ok}, {"./d/", ""}}), true, "", "a.png d"},
            {"leading dot twice", Test::hostileZip({{"a.png", ok}, {"./a.png", ok}}), false, "duplicate member: a.png"},
            {"zero padding", plain + QByteArray(10000, '\0'), true, ""},
            {"zero padding past reach", plain + QByteArray(70000, '\0'), false, "no end record"},
            {"comment then zeros past reach", withComment(plain, QByteArray(65000, 'c')) + QByteArray(1000, '\0'),
             false, "no end record"},
            {"longest comment", withComment(plain, QByteArray(65535, 'c')), true, ""},
            {"zeros then another byte", plain + QByteArray(100, '\0') + 'x', false, "ambiguous end record"},
            {"info-zip", Test::fileBytes(packages + "valid-infozip.zip"), true, "", packedTree},
            {"info-zip pipe", Test::fileBytes(packages + "valid-infozip-pipe.zip"), true, "", packedTree},
            {"bsdtar", Test::fileBytes(packages + "valid-bsdtar.zip"), true, "", packedTree},
            {"bsdtar pipe", Test::fileBytes(packages + "valid-bsdtar-pipe.zip"), true, "", packedTree},
            {"version needed", Test::hostileZip({changed({"a.png", ok}, [](auto& m) { m.centralVersion = 45; })}),
             false, "unsupported version needed 45: a.png"},
            {"version needed local", Test::hostileZip({changed({"a.png", ok}, [](auto& m) { m.localVersion = 63; })}),
             false, "unsupported version needed 63: a.png"},
            {"extra cut",
             Test::hostileZip({changed({"a.png", ok}, [](auto& m) { m.centralExtra = "UT\x09\x00\x01"; })}), false,
             "malformed extra field: a.png"},
            {"extra tail",
             Test::hostileZip({changed({"a.png", ok}, [](auto& m) { m.centralExtra = "UT\x01\x00\x01xy"; })}), false,
             "malformed extra field: a.png"},
            {"extra cut local",
             Test::hostileZip({changed({"a.png", ok}, [](auto& m) { m.localExtra = "UT\x09\x00"; })}), false,
             "malformed extra field: a.png"},
            {"local utf-8 flag", Test::hostileZip({changed({"a.png", ok}, [](auto& m) { m.centralFlags = 0x0800; })}),
             false, "local header flags differ from the directory: a.png"},
            {"local descriptor flag",
             Test::hostileZip({changed(withDescriptor(16), [](auto& m) { m.centralFlags = 0; })}), false,
             "local header flags differ from the directory: a.png"},
            {"bytes after deflate",
             Test::hostileZip({changed({"a.png", ok}, [&](auto& m) { m.payload = Test::rawDeflate(ok) + "tail"; })}),
             false, "bytes after the compressed data: a.png"},
            {"empty member that does not inflate",
             Test::hostileZip({changed({"a.png", ""}, [](auto& m) { m.payload = "\xff\xff"; })}), false,
             "damaged member: a.png"},
            {"folder", Test::hostileZip({{"a.png", ok}, {"d/", ""}, {"e/", "", false}}), true, ""},
            {"folder with data", Test::hostileZip({{"a.png", ok}, {"d/", "folder bytes"}}), false,
             "folder member holds data: d"},
            {"folder that does not inflate",
             Test::hostileZip({{"a.png", ok}, changed({"d/", ""}, [](auto& m) { m.payload = "\xff\xff"; })}), false,
             "folder member holds data: d"},
            {"folder inflating to data",
             Test::hostileZip({{"a.png", ok}, changed({"d/", ""}, [](auto& m) { m.payload = Test::rawDeflate("x"); })}),
             false, "folder member holds data: d"},
            {"deep", Test::hostileZip({{"a.png", ok}, {deep, "x", false}}), false, "member more than 32 folders deep"},
            {"file 32 deep", Test::hostileZip({{"a.png", ok}, {QByteArray("a/").repeated(32) + "f", "x"}}), true, ""},
            {"file 33 deep", Test::hostileZip({{"a.png", ok}, {QByteArray("a/").repeated(33) + "f", "x"}}), false,
             "member more than 32 folders deep"},
            {"folder 32 deep", Test::hostileZip({{"a.png", ok}, {QByteArray("a/").repeated(32), ""}}), true, ""},
            {"folder 33 deep", Test::hostileZip({{"a.png", ok}, {QByteArray("a/").repeated(33), ""}}), false,
             "member more than 32 folders deep"},
            {"long name", Test::hostileZip({{"a.png", ok}, {longName, "x", false}}), false,
             "member name longer than 512 bytes"},
            {"name of 512 bytes",
             Test::hostileZip({{"a.png", ok}, {QByteArray(255, 'n') + '/' + QByteArray(254, 'n') + "/f", "x"}}), true,
             ""},
            {"name of 513 bytes",
             Test::hostileZip({{"a.png", ok}, {QByteArray(255, 'n') + '/' + QByteArray(255, 'n') + "/ff", "x"}}), false,
             "member name longer than 512 bytes"},
            {"name of 604 bytes in 304 characters",
             Test::hostileZip({{"a.png", ok}, {twoByte + '/' + twoByte + '/' + twoByte + "/f", "x"}}), false,
             "member name longer than 512 bytes"},
            {"folders past the bound",
             Test::hostileZip(QList<HostileZipMember>{{"a.png", ok}, {"x/f", ""}} + folders(1000, 10)), false,
             "more than 10000 folders"},
            {"gap before end", gap, false, "bytes between the directory and the end record"},
            {"end in comment", withComment(plain, hidden), false, "ambiguous end record"},
            {"signature in comment", withComment(plain, "PK\x05\x06 is not an end record, only its start"), false,
             "ambiguous end record"},
            {"overlap", Test::hostileZip({{"a.png", ok, false}, {"b.bin", innerLocal, false}, inside}), false,
             "overlapping members: c.txt"},
            {"case", Test::hostileZip({{"a.png", ok}, {"A.png", "other"}}), false,
             "names differ only in letter case or Unicode form: A.png"},
            {"normal form", Test::hostileZip({{"a.png", ok}, {"\xc3\xa9.txt", "1"}, {"e\xcc\x81.txt", "2"}}), false,
             "names differ only in letter case or Unicode form: e\xcc\x81.txt"},
        };
        for (const Case& c : cases) {
            QString why;
            const QByteArray read = readZipEntry(c.zip, QStringLiteral("a.png"), &why);
            QVERIFY2(read == (c.readable ? ok : QByteArray()), c.tag);
            QVERIFY2(c.readable ? why.isEmpty() : why.startsWith(QString::fromUtf8(c.why)),
                     qPrintable(QLatin1String(c.tag) + QLatin1Char(' ') + why));
            QString packageWhy;
            QCOMPARE(verifyPackage(c.zip, &packageWhy), c.readable);
            QCOMPARE(packageWhy, why);
            QTemporaryDir dir;
            const QString target = dir.filePath(QStringLiteral("t"));
            QString unpackWhy;
            QVERIFY2(unzipToDirectory(c.zip, target, &unpackWhy) == c.readable, c.tag);
            QCOMPARE(unpackWhy, why);
            QCOMPARE(QFileInfo::exists(target), c.readable);
            if (c.tree)
                QCOMPARE(Test::treeOf(target).join(QLatin1Char(' ')), QString::fromUtf8(c.tree));
        }
        // Exactly at the folder bound is taken. The directory read decides it for all three
        // readers; one shows it without making 10,000 folders.
        QVERIFY(verifyPackage(Test::hostileZip(QList<HostileZipMember>{{"a.png", ok}} + folders(1000, 10))));
    }

    // Unpacking into a folder that already holds a file, or a link to one, where a member goes
    // writes through neither: the unpack fails and both are left as they were, and so is a
    // folder that was there; the files and folders it made are gone.
    void unzipNeverWritesThroughWhatIsThere()
    {
        const QByteArray zip = Test::hostileZip(
            {{"b.png", "new"}, {"n/m/c.png", "new"}, {"keep/d.png", "new"}, {"keep/e/f.png", "new"}, {"a.png", "new"}});
        for (const bool link : {false, true}) {
            QTemporaryDir dir;
            const QString target = dir.filePath(QStringLiteral("t"));
            const QString there = target + QStringLiteral("/a.png");
            const QString old = link ? dir.filePath(QStringLiteral("outside")) : there;
            QVERIFY(QDir().mkpath(target + QStringLiteral("/keep")));
            QVERIFY(Test::writeFileBytes(old, "old"));
            QVERIFY(!link || QFile::link(old, there));
            QString why;
            QVERIFY(!unzipToDirectory(zip, target, &why));
            QCOMPARE(why, QStringLiteral("cannot write: a.png"));
            QCOMPARE(Test::fileBytes(old), QByteArray("old"));
            QCOMPARE(QFileInfo(there).isSymLink(), link);
            QVERIFY(!QFileInfo::exists(target + QStringLiteral("/b.png")));
            QCOMPARE(QDir(target).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                     QStringList({QStringLiteral("a.png"), QStringLiteral("keep")}));
            QVERIFY(QDir(target + QStringLiteral("/keep")).isEmpty());
        }
    }

    void storeFileWithLimit()
    {
        QTemporaryDir dir;
        ProjectDatabase db;
        QVERIFY(db.open(dir.filePath(QStringLiteral("p.ovpf")), true, QStringLiteral("sql_cn_store")).isOk());
        JsonStoreRecord owner;
        owner.type = QStringLiteral("plugin");
        QVERIFY(db.insert(owner).isOk());
        const QString pack = QStringLiteral("pack");
        auto file = [&](const char* name, const QByteArray& bytes) {
            const QString path = dir.filePath(QString::fromLatin1(name));
            return Test::writeFileBytes(path, bytes) ? path : QString();
        };
        const QByteArray atLimit(kStoreFileLimit, 'z');
        const BaseResult<QByteArray> stored = OV::storeFileWithLimit(db, owner.id, pack, file("limit", atLimit));
        QVERIFY2(stored.isOk() && *stored.data == atLimit, qPrintable(stored.message));
        QCOMPARE(*db.loadFile(owner.id, pack).data, atLimit);
        const QString empty = file("empty", {});
        QVERIFY(OV::storeFileWithLimit(db, owner.id, pack, empty).isOk());

        // A file whose content does not match its size (here one that reports size 0) is refused.
        const QList<std::tuple<QString, int, QString>> failures = {
            {file("over", atLimit + 'z'), 2004, QStringLiteral("File size exceeds limit, filePath:")},
            {dir.filePath(QStringLiteral("missing")), 3001, QStringLiteral("filePath:")},
            {dir.path(), 3001, QStringLiteral("filePath:")},
            {QString(), 3001, QStringLiteral("filePath:")},
            {QStringLiteral("/proc/self/status"), 3002, QStringLiteral("Read file error, filePath:")}};
        for (const auto& [path, code, detail] : failures) {
            const auto failed = OV::storeFileWithLimit(db, owner.id, pack, path);
            QCOMPARE(failed.code(), code);
            QCOMPARE(failed.message, detail + path);
        }
        QCOMPARE(db.loadFile(owner.id, pack).data->size(), 0);

        // A database failure comes back unchanged.
        const auto orphan = OV::storeFileWithLimit(db, owner.id + 100, pack, empty);
        QCOMPARE(orphan.code(), 2002);
        QVERIFY(orphan.message.contains(QLatin1String("FOREIGN KEY")));
    }

    void trimTransparentEdges()
    {
        QVERIFY(OV::trimTransparentEdges(QPixmap(), 5).isNull());
        QImage image(10, 8, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QVERIFY(OV::trimTransparentEdges(QPixmap::fromImage(image), 5).isNull());
        image.setPixelColor(0, 0, QColor(200, 10, 10, 5));
        image.setPixelColor(9, 7, QColor(200, 10, 10, 5));
        image.setPixelColor(4, 5, Qt::red);
        image.setPixelColor(5, 4, Qt::red);
        QCOMPARE(OV::trimTransparentEdges(QPixmap::fromImage(image), 4).size(), QSize(10, 8));
        // Only alpha above the threshold counts, and the box is cut where those pixels are.
        const QImage kept = OV::trimTransparentEdges(QPixmap::fromImage(image), 5).toImage();
        QCOMPARE(kept.size(), QSize(2, 2));
        QVERIFY(kept.pixelColor(0, 1).alpha() == 255 && kept.pixelColor(1, 0).alpha() == 255);
        QCOMPARE(kept.pixelColor(0, 0).alpha(), 0);
    }

    void formatErrorDetails()
    {
        // A detail holding placeholders is shown as it is.
        QCOMPARE(OV::formatErrorDetails(BaseResult<int>(Errors::FileNotFound, QStringLiteral("%1 and %2"))),
                 QStringLiteral("File not found. Details: %1 and %2"));
        QCOMPARE(OV::formatErrorDetails(BaseResult<void>(Errors::ReadFailed)), QStringLiteral("Read failed"));
    }
};

QTEST_MAIN(TestStoreHelpers)
#include "tst_StoreHelpers.moc"
