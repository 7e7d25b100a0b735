#include "core/Logger.h"
#include "project/ProjectDbAccessors.h"
#include "project/ProjectUseCase.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cstdio>
#include <map>

using namespace OV;

namespace {

using IntegrationUseCase = ProjectUseCase<ProjectDbIntegrationAccessor, ProjectDbIntegrationBean>;

const char* const kChildVariable = "ORVEL_PROJECT_CRASH_CHILD";
const QString kConn = QStringLiteral("sql_cn_default");
constexpr int kRecordsPerCommit = 3;

QByteArray blobFor(int commit)
{
    return QByteArray(2048, char('a' + commit % 26));
}

// The writer: opens the project and commits numbered transactions until it is killed, each
// of three records, a file and the property "last"; after each commit it reports the number.
int runWriter(const QString& path)
{
    Logger::instance()->setMinLevel(LogError);
    auto db = std::make_shared<ProjectDatabase>();
    if (!db->open(path, false, kConn).isOk())
        return 2;
    auto useCase = std::make_shared<IntegrationUseCase>(db);
    const QString last = *db->loadProperty(QStringLiteral("last")).data;
    int commit = last.isEmpty() ? 0 : last.toInt() + 1;
    std::printf("ready\n");
    std::fflush(stdout);
    for (;; ++commit) {
        const BaseResult<void> result = useCase->transaction([&]() {
            int64_t firstId = -1;
            for (int i = 0; i < kRecordsPerCommit; ++i) {
                ProjectDbIntegrationBean bean;
                bean.integType = QStringLiteral("hotkey");
                bean.k1 = QStringLiteral("tx%1").arg(commit);
                bean.data["i"] = i;
                BaseResult<void> step = useCase->insert(bean);
                if (!step.isOk())
                    return step;
                if (i == 0)
                    firstId = bean.id;
            }
            BaseResult<void> step = db->saveFile(firstId, QStringLiteral("blob"), blobFor(commit));
            if (!step.isOk())
                return step;
            return db->saveProperty(QStringLiteral("last"), QString::number(commit));
        });
        if (!result.isOk())
            return 3;
        std::printf("committed %d\n", commit);
        std::fflush(stdout);
    }
}

} // namespace

class TestProjectCrash : public QObject
{
    Q_OBJECT
private slots:
    void killedWriterLeavesExactlyTheCommittedRecords()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("crash.ovpf"));
        QVERIFY(ProjectDatabase().open(file, true, kConn).isOk());
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("random seed %u", seed);
        QRandomGenerator random(seed);
        static const QRegularExpression committedLine(QStringLiteral("committed (\\d+)\\n"));
        int reported = -1;
        for (int round = 0; round < 50; ++round) {
            QProcess writer;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QString::fromLatin1(kChildVariable), file);
            writer.setProcessEnvironment(env);
            writer.start(QCoreApplication::applicationFilePath(), {});
            QByteArray out;
            while (!out.contains("ready\n") && writer.waitForReadyRead(60000))
                out += writer.readAllStandardOutput();
            QVERIFY2(out.contains("ready\n"), out.constData());
            QThread::msleep(random.bounded(40));
            writer.kill(); // SIGKILL
            QVERIFY(writer.waitForFinished(10000));
            out += writer.readAllStandardOutput();
            for (auto it = committedLine.globalMatch(QString::fromLatin1(out)); it.hasNext();)
                reported = it.next().captured(1).toInt();

            ProjectDatabase db;
            const BaseResult<void> opened = db.open(file, false, kConn);
            QVERIFY2(opened.isOk(), qPrintable(opened.message));
            const QString stored = *db.loadProperty(QStringLiteral("last")).data;
            const int last = stored.isEmpty() ? -1 : stored.toInt(); // killed before its first commit
            // The kill may fall between a commit and its report, never inside a commit.
            QVERIFY2(last == reported || last == reported + 1,
                     qPrintable(QStringLiteral("round %1: %2 stored, %3 reported").arg(round).arg(last).arg(reported)));
            reported = last;
            const auto records = *db.findAll(QStringLiteral("integration"), true).data;
            QCOMPARE(records.size(), size_t((last + 1) * kRecordsPerCommit));
            std::map<QString, std::vector<int64_t>> byCommit;
            for (const auto& record : records)
                byCommit[record->k1].push_back(record->id);
            QCOMPARE(byCommit.size(), size_t(last + 1));
            for (int t = 0; t <= last; ++t) {
                const auto& ids = byCommit[QStringLiteral("tx%1").arg(t)];
                QCOMPARE(ids.size(), size_t(kRecordsPerCommit));
                QCOMPARE(*db.loadFile(ids.front(), QStringLiteral("blob")).data, blobFor(t));
            }
        }
    }
};

int main(int argc, char** argv)
{
    const QByteArray writerPath = qgetenv(kChildVariable);
    QCoreApplication app(argc, argv);
    if (!writerPath.isEmpty())
        return runWriter(QString::fromLocal8Bit(writerPath));
    TestProjectCrash test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ProjectCrash.moc"
