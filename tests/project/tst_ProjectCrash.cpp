#include "core/Logger.h"
#include "core/ZlibUtils.h"
#include "project/ProjectDatabase.h"
#include "project/ProjectImageUtils.h"
#include "project/ProjectManager.h"
#include "project/ProjectMetaUseCase.h"
#include "project/ProjectModuleUseCase.h"
#include "project/ProjectPluginUseCase.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "project/ProjectProfileUseCase.h"
#include "support/ProjectRawSqlite.h"
#include "support/ProjectTestUtils.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <unistd.h>

#include <map>
#include <optional>

using namespace OV;

namespace {

// The writer is this executable started again with these variables set.
const char* const kChildPath = "ORVEL_PROJECT_CRASH_CHILD";
const char* const kChildNext = "ORVEL_PROJECT_CRASH_NEXT";
const char* const kChildPackages = "ORVEL_PROJECT_CRASH_PACKAGES";
const char* const kChildScratch = "ORVEL_PROJECT_CRASH_SCRATCH";
const QString kPluginUuid = QStringLiteral("crash-plugin");
constexpr int kCards = 3;
constexpr int kRounds = 40;
constexpr int kMinKillsInCommit = 5;

// Every commit N goes through one of the program's save paths, by N modulo 4: a card saved with
// its icon, the profile updated with its icon, the module's config saved with two images, the
// plug-in installed again from a package of a few MB (larger than the page cache, so that its
// transaction spills into the file before it commits).
enum Kind { CardSave = 0, ProfileUpdate = 1, ModuleConfig = 2, PluginInstall = 3 };

QPixmap icon(int seed)
{
    QImage image(160, 160, QImage::Format_ARGB32);
    QRandomGenerator random(quint32(seed + 1000));
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = random.generate();
    }
    return QPixmap::fromImage(image);
}

QString packagePath(const QString& dir, int commit)
{
    return dir + QStringLiteral("/plugin%1.zip").arg((commit / 4) % 2);
}

QString cardUid(int commit)
{
    return QStringLiteral("card%1").arg((commit / 4) % kCards);
}

// The raw markers, written unbuffered so that the parent sees each before the next step runs.
void mark(const QByteArray& text)
{
    const ssize_t written = ::write(STDOUT_FILENO, text.constData(), size_t(text.size()));
    Q_UNUSED(written);
}

int commitStarts(void*)
{
    mark("C\n");
    return 0; // go on with the commit
}

BaseResult<void> runCommit(ProjectManager& manager, int n, const QString& packages)
{
    switch (n % 4) {
    case CardSave: {
        auto cards = manager.getProfileKsWidgetUseCase();
        const auto all = cards->accessor->findAll(false);
        if (!all.isOk())
            return BaseResult<void>::from(all);
        ProjectDbProfileKsWidgetBean card;
        for (const auto& stored : *all.data) {
            if (stored->uid == cardUid(n))
                card = *stored;
        }
        const int64_t profileId = (*manager.getProfileUseCase()->accessor->findFirst().data)->id;
        card.setProfileId(profileId);
        card.uid = cardUid(n);
        card.widgetType = QStringLiteral("clock");
        card.name = QStringLiteral("c%1").arg(n);
        QPixmap picture = icon(n);
        return cards->insertOrUpdateWidget(card, &picture);
    }
    case ProfileUpdate: {
        auto profiles = manager.getProfileUseCase();
        auto profile = *profiles->accessor->findFirst().data;
        profile->name = QStringLiteral("p%1").arg(n);
        QPixmap picture = icon(n);
        return profiles->updateProfile(*profile, &picture);
    }
    case ModuleConfig: {
        auto modules = manager.getModuleUseCase();
        auto module = *modules->accessor->findFirst().data;
        module->name = QStringLiteral("m%1").arg(n);
        module->data["commit"] = n;
        return modules->updateConfig(
            *module, {{QStringLiteral("img/a.png"), icon(n)}, {QStringLiteral("img/b.png"), icon(n + 7)}});
    }
    default: {
        ProjectDbPluginBean plugin;
        plugin.k1 = kPluginUuid;
        plugin.k2 = QStringLiteral("0");
        plugin.name = QStringLiteral("Plug");
        plugin.versionCode = n;
        return manager.getPluginUseCase()->saveOrUpdate(plugin, icon(n), packagePath(packages, n));
    }
    }
}

// Opens the project through the program and commits 'next', 'next'+1 ... until it is killed.
// Markers: "B n" before commit n starts, "C" when SQLite starts committing, "D n" once done.
// The killed writer cleans up nothing: its scratch folder is the parent's to remove.
int runWriter(const QString& path, int next, const QString& packages, const QString& scratch)
{
    Logger::instance()->setMinLevel(LogError);
    ProjectManager manager(scratch + QStringLiteral("/recent.json"), scratch);
    if (!manager.openProject(path).isOk())
        return 2;
    if (!Test::ProjectRawSqlite::setCommitHook(QLatin1String(ProjectManager::kConnectionName), commitStarts))
        return 4;
    // A short pause after opening and after each commit, as a user's edits have, gives kills
    // aimed outside any write a moment to land in.
    mark("ready\n");
    QThread::usleep(3000);
    for (int n = next;; ++n) {
        mark("B " + QByteArray::number(n) + '\n');
        const BaseResult<void> result = runCommit(manager, n, packages);
        if (!result.isOk()) {
            std::fprintf(stderr, "commit %d failed: %d %s\n", n, result.code(), qPrintable(result.message));
            return 3;
        }
        mark("D " + QByteArray::number(n) + '\n');
        QThread::usleep(3000);
    }
}

// What the project holds once commits 0..last are stored: the commit that last wrote each
// thing, or nothing when none did.
struct Expected
{
    std::optional<int> card[kCards];
    std::optional<int> profile;
    std::optional<int> module;
    std::optional<int> plugin;

    explicit Expected(int last)
    {
        for (int n = 0; n <= last; ++n) {
            switch (n % 4) {
            case CardSave:
                card[(n / 4) % kCards] = n;
                break;
            case ProfileUpdate:
                profile = n;
                break;
            case ModuleConfig:
                module = n;
                break;
            default:
                plugin = n;
                break;
            }
        }
    }
};

enum Moment { NoWrite, JournalUnsynced, DuringCommit, AfterCommit };
const char* const kMomentNames[] = {"none", "journal unsynced", "during commit", "after commit"};

} // namespace

class TestProjectCrash : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::map<int, QByteArray> m_png;

    QByteArray png(int seed)
    {
        auto it = m_png.find(seed);
        if (it == m_png.end())
            it = m_png.emplace(seed, pixmapToPng(icon(seed))).first;
        return it->second;
    }

    // The newest commit the project holds, read from what each save path left; -1 for none.
    static int lastStored(ProjectManager& manager)
    {
        int last = -1;
        const auto take = [&last](const QString& name, int kind, const char* prefix) {
            if (name.startsWith(QLatin1String(prefix)) && name.mid(1).toInt() % 4 == kind)
                last = std::max(last, name.mid(1).toInt());
        };
        const auto cards = *manager.getProfileKsWidgetUseCase()->accessor->findAll(false).data;
        for (const auto& card : cards)
            take(card->name, CardSave, "c");
        take((*manager.getProfileUseCase()->accessor->findFirst().data)->name, ProfileUpdate, "p");
        take((*manager.getModuleUseCase()->accessor->findFirst().data)->name, ModuleConfig, "m");
        if (const auto plugin = *manager.getPluginUseCase()->findFirst(kPluginUuid).data)
            last = std::max(last, int(plugin->versionCode));
        return last;
    }

    // Every record and file of the project is exactly what commits 0..last wrote.
    void checkHolds(ProjectManager& manager, int last)
    {
        ProjectDatabase& db = *manager.getMetaUseCase()->accessor->database();
        const Expected expected(last);
        int records = 3; // meta, profile, module
        int files = 0;
        const auto cards = *manager.getProfileKsWidgetUseCase()->accessor->findAll(true).data;
        for (int i = 0; i < kCards; ++i) {
            std::shared_ptr<ProjectDbProfileKsWidgetBean> found;
            for (const auto& card : cards)
                found = card->uid == QStringLiteral("card%1").arg(i) ? card : found;
            QCOMPARE(bool(found), expected.card[i].has_value());
            if (!found)
                continue;
            ++records;
            ++files;
            QCOMPARE(found->name, QStringLiteral("c%1").arg(*expected.card[i]));
            QCOMPARE(*db.loadFile(found->id, QStringLiteral("widget_icon")).data, png(*expected.card[i]));
        }
        QCOMPARE(cards.size(), size_t(records - 3));

        const auto profile = *manager.getProfileUseCase()->accessor->findFirst().data;
        if (expected.profile) {
            ++files;
            QCOMPARE(profile->name, QStringLiteral("p%1").arg(*expected.profile));
            QCOMPARE(*db.loadFile(profile->id, QStringLiteral("profile_icon")).data, png(*expected.profile));
        }

        const auto module = *manager.getModuleUseCase()->accessor->findFirst().data;
        if (expected.module) {
            files += 2;
            QCOMPARE(module->name, QStringLiteral("m%1").arg(*expected.module));
            QCOMPARE(module->data.value("commit", -1), *expected.module);
            QCOMPARE(*db.loadFile(module->id, QStringLiteral("img/a.png")).data, png(*expected.module));
            QCOMPARE(*db.loadFile(module->id, QStringLiteral("img/b.png")).data, png(*expected.module + 7));
        } else {
            QCOMPARE(module->name, QStringLiteral("mod"));
        }

        const auto plugin = *manager.getPluginUseCase()->findFirst(kPluginUuid).data;
        QCOMPARE(bool(plugin), expected.plugin.has_value());
        if (plugin) {
            ++records;
            files += 2;
            QCOMPARE(plugin->versionCode, int64_t(*expected.plugin));
            const QByteArray package = Test::fileBytes(packagePath(m_dir.path(), *expected.plugin));
            QCOMPARE(*db.loadFile(plugin->id, QStringLiteral("pack")).data, package);
            QCOMPARE(*db.loadFile(plugin->id, QStringLiteral("icon")).data, png(*expected.plugin));
            QCOMPARE(plugin->data.value("package", -1), (*expected.plugin / 4) % 2);
        }

        // No record or file beyond those: nothing of a rolled-back commit stayed.
        QSqlQuery count(QSqlDatabase::database(QLatin1String(ProjectManager::kConnectionName), false));
        QVERIFY(count.exec(QStringLiteral("SELECT (SELECT COUNT(*) FROM json_store), (SELECT COUNT(*) FROM "
                                          "file_store)")) &&
                count.next());
        QCOMPARE(count.value(0).toInt(), records);
        QCOMPARE(count.value(1).toInt(), files);
    }

private slots:
    void initTestCase()
    {
        // Two plug-in packages, each holding its "config.json" and a payload of 2.5 MB.
        for (int k = 0; k < 2; ++k) {
            const QString folder = m_dir.filePath(QStringLiteral("package%1").arg(k));
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(Test::writeFileBytes(folder + QStringLiteral("/config.json"),
                                         QByteArray("{\"package\":") + QByteArray::number(k) + '}'));
            QByteArray payload(5 << 19, Qt::Uninitialized);
            QRandomGenerator(quint32(k)).fillRange(reinterpret_cast<quint32*>(payload.data()), payload.size() / 4);
            QVERIFY(Test::writeFileBytes(folder + QStringLiteral("/payload.bin"), payload));
            QVERIFY(ZlibUtils::packToZip(folder, packagePath(m_dir.path(), k * 4), ZlibUtils::DirectoryContents, 0));
        }
    }

    void killedWriterLeavesExactlyTheCommittedRecords()
    {
        const QString file = m_dir.filePath(QStringLiteral("crash.ovpf"));
        {
            ProjectManager manager(m_dir.filePath(QStringLiteral("recent.json")), m_dir.path());
            QVERIFY(manager.createProject(QStringLiteral("crash"), m_dir.path()).isOk());
            ProjectModuleUseCase::BeanList modules{std::make_shared<ProjectDbModuleBean>()};
            modules[0]->gatewayType = QStringLiteral("can");
            modules[0]->productId = ProjectModuleUseCase::kPipwickProductId;
            modules[0]->sn = QStringLiteral("SN-CRASH");
            modules[0]->name = QStringLiteral("mod");
            QVERIFY(manager.getModuleUseCase()->addModules(modules).isOk());
        }
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("random seed %u", seed);
        QRandomGenerator random(seed);
        static const QRegularExpression doneLine(QStringLiteral("(?:^|\\n)D (\\d+)\\n"));
        int reported = -1;
        int counts[4] = {};
        int inCommitByKind[4] = {};
        int survived = 0;
        for (int round = 0; round < kRounds; ++round) {
            // Each round aims at one moment; what the writer had reached is read back after.
            const Moment aim = Moment(round % 4);
            QProcess writer;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QString::fromLatin1(kChildPath), file);
            env.insert(QString::fromLatin1(kChildNext), QString::number(reported + 1));
            env.insert(QString::fromLatin1(kChildPackages), m_dir.path());
            const QString scratch = m_dir.filePath(QStringLiteral("writer-%1").arg(round));
            QVERIFY(QDir().mkpath(scratch));
            env.insert(QString::fromLatin1(kChildScratch), scratch);
            writer.setProcessEnvironment(env);
            writer.start(QCoreApplication::applicationFilePath(), {});
            static const QByteArray triggers[] = {"ready\n", "B ", "C\n", "D "};
            QByteArray out;
            // Aiming after a commit lets one to three commits pass, so that the rounds move on
            // through every save path; aiming inside a commit waits for one of the save path
            // whose turn it is.
            const int needed = aim == AfterCommit ? 1 + int(random.bounded(3)) : 1;
            const int kind = (round / 4) % 4;
            const auto reached = [&]() {
                if (aim != DuringCommit)
                    return out.count(triggers[aim]) >= needed;
                const qsizetype commit = out.lastIndexOf("C\n");
                const qsizetype begin = out.lastIndexOf("B ", commit);
                return commit > 0 && begin >= 0 && out.mid(begin + 2, commit - begin - 2).trimmed().toInt() % 4 == kind;
            };
            while (!reached() && writer.state() != QProcess::NotRunning) {
                writer.waitForReadyRead(100);
                out += writer.readAllStandardOutput();
            }
            QVERIFY2(reached(), QByteArray(out + writer.readAllStandardError()).constData());
            if (aim == JournalUnsynced)
                QThread::usleep(random.bounded(3000));
            writer.kill(); // SIGKILL
            QVERIFY(writer.waitForFinished(10000));
            out += writer.readAllStandardOutput();
            QVERIFY(QDir(scratch).removeRecursively());

            const qsizetype lastMarker = std::max(
                {out.lastIndexOf("B "), out.lastIndexOf("C\n"), out.lastIndexOf("D "), out.lastIndexOf("ready\n")});
            const QByteArray tail = out.mid(lastMarker, 2);
            const Moment moment = tail == "B "    ? JournalUnsynced
                                  : tail == "C\n" ? DuringCommit
                                  : tail == "D "  ? AfterCommit
                                                  : NoWrite;
            ++counts[moment];
            if (moment == DuringCommit) {
                const qsizetype begin = out.lastIndexOf("B ");
                ++inCommitByKind[out.mid(begin + 2, out.indexOf('\n', begin) - begin - 2).toInt() % 4];
            }
            for (auto it = doneLine.globalMatch(QString::fromLatin1(out)); it.hasNext();)
                reported = it.next().captured(1).toInt();

            {
                ProjectManager manager(m_dir.filePath(QStringLiteral("recent.json")), m_dir.path());
                const BaseResult<void> opened = manager.openProject(file);
                QVERIFY2(opened.isOk(), qPrintable(opened.message));
                const int last = lastStored(manager);
                // A commit the writer had not started is never there; one cut inside its commit
                // is there whole or not at all.
                const bool allowed = last == reported || (moment == DuringCommit && last == reported + 1);
                QVERIFY2(allowed, qPrintable(QStringLiteral("round %1 (%2): commit %3 stored, %4 reported")
                                                 .arg(round)
                                                 .arg(QLatin1String(kMomentNames[moment]))
                                                 .arg(last)
                                                 .arg(reported)));
                survived += moment == DuringCommit && last == reported + 1 ? 1 : 0;
                reported = last;
                checkHolds(manager, last);
                if (QTest::currentTestFailed())
                    return;
            }
            Test::ProjectRawSqlite raw(file);
            QList<QVariantList> rows;
            QVERIFY(raw.run(QStringLiteral("PRAGMA integrity_check"), {}, &rows));
            QCOMPARE(rows.value(0).value(0).toString(), QStringLiteral("ok"));
            rows.clear();
            QVERIFY(raw.run(QStringLiteral("PRAGMA foreign_key_check"), {}, &rows));
            QVERIFY(rows.isEmpty());
        }
        qInfo("%d kills: %d %s, %d %s, %d %s, %d %s; %d commits stored", kRounds, counts[0], kMomentNames[0], counts[1],
              kMomentNames[1], counts[2], kMomentNames[2], counts[3], kMomentNames[3], reported + 1);
        qInfo("kills inside commits: %d card saves, %d profile updates, %d module configs, %d plug-in installs; "
              "%d of them found the commit complete",
              inCommitByKind[0], inCommitByKind[1], inCommitByKind[2], inCommitByKind[3], survived);
        QVERIFY2(counts[DuringCommit] >= kMinKillsInCommit, "too few kills landed inside a commit");
        QVERIFY(reported >= 8); // every save path committed more than once
    }
};

int main(int argc, char** argv)
{
    const QByteArray writerPath = qgetenv(kChildPath);
    QGuiApplication app(argc, argv);
    if (!writerPath.isEmpty())
        return runWriter(QString::fromLocal8Bit(writerPath), qEnvironmentVariableIntValue(kChildNext),
                         qEnvironmentVariable(kChildPackages), qEnvironmentVariable(kChildScratch));
    TestProjectCrash test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ProjectCrash.moc"
