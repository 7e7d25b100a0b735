// Opening a large project and reading every profile, card and stored picture through the use
// cases, set beside SQLite reading both tables whole ("select * from json_store; select * from
// file_store", as the sqlite3 shell does), in interleaved rounds; prints the medians and their
// ratio. The project is made once through the program's own use cases and kept.
//
//   project_open_bench [--project FILE] [--profiles N] [--cards N] [--rounds R] > /dev/null
//   (--make-only 1: make the project FILE and stop)
#include "core/Logger.h"
#include "project/ProjectDatabase.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "project/ProjectProfileUseCase.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace OV;

namespace {

QPixmap picture(quint32 seed)
{
    // A small picture of noise and flat colour: about 12 KB as PNG.
    QImage image(64, 64, QImage::Format_ARGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = y < 48 ? random.generate() : 0xff336699u;
    }
    return QPixmap::fromImage(image);
}

bool makeProject(const QString& file, int profiles, int cards)
{
    const QFileInfo info(file);
    QTemporaryDir scratch;
    ProjectManager manager(scratch.filePath(QStringLiteral("recent.json")), info.absolutePath());
    if (!manager.createProject(info.completeBaseName(), info.absolutePath()).isOk())
        return false;
    auto profileUseCase = manager.getProfileUseCase();
    auto cardUseCase = manager.getProfileKsWidgetUseCase();
    for (int p = 1; p < profiles; ++p) {
        if (!profileUseCase->createProfile(QStringLiteral("Profile %1").arg(p), QString()).isOk())
            return false;
    }
    const auto all = profileUseCase->accessor->findAll(false);
    quint32 seed = 1;
    for (const auto& profile : *all.data) {
        QPixmap icon = picture(seed++);
        if (!profileUseCase->updateProfile(*profile, &icon).isOk())
            return false;
        for (int c = 0; c < cards; ++c) {
            ProjectDbProfileKsWidgetBean card;
            card.setProfileId(profile->id);
            card.widgetType = QStringLiteral("basicClock");
            card.uid = QStringLiteral("card-%1-%2").arg(profile->id).arg(c);
            card.name = QStringLiteral("Clock %1").arg(c);
            card.icon = QStringLiteral("clock.png");
            card.sortId = c;
            card.data["deploymentData"] = {{"type", "clock"},
                                           {"param", {{"format", "24h"}, {"zone", "Europe/Oslo"}, {"index", c}}}};
            QPixmap cardIcon = picture(seed++);
            // Every other card has a picture of its own.
            if (!cardUseCase->insertOrUpdateWidget(card, c % 2 == 0 ? &cardIcon : nullptr).isOk())
                return false;
        }
    }
    return true;
}

// Opens the project and reads every profile, card and picture as a screen would: the records
// through the accessors, the pictures as their stored bytes. Returns milliseconds.
double g_openMs = 0;

double openAndReadAll(const QString& file, const QString& recentList, qint64& bytes)
{
    QElapsedTimer clock;
    clock.start();
    ProjectManager manager(recentList, QFileInfo(file).absolutePath());
    if (!manager.openProject(file).isOk())
        return -1;
    g_openMs = double(clock.nsecsElapsed()) / 1e6;
    auto profiles = manager.getProfileUseCase();
    auto cards = manager.getProfileKsWidgetUseCase();
    const auto all = profiles->accessor->findAll(true);
    if (!all.isOk())
        return -1;
    ProjectDatabase& db = *profiles->accessor->database();
    bytes = 0;
    for (const auto& profile : *all.data) {
        const auto icon = db.loadFile(profile->id, QLatin1String(ProjectProfileUseCase::kIconFileName));
        bytes += icon.data ? icon.data->size() : 0;
        JsonStoreKeys keys;
        keys.k1 = QString::number(profile->id);
        const auto list = cards->accessor->findAll(keys, true);
        if (!list.isOk())
            return -1;
        for (const auto& card : *list.data) {
            const auto picture = db.loadFile(card->id, QLatin1String(ProjectProfileKsWidgetUseCase::kIconFileName));
            bytes += picture.data ? picture.data->size() : 0;
        }
    }
    manager.closeProject();
    return double(clock.nsecsElapsed()) / 1e6;
}

// SQLite alone, as its shell reads the two tables: every column of every row.
double sqliteReadAll(const QString& file, qint64& bytes)
{
    QElapsedTimer clock;
    clock.start();
    sqlite3* db = nullptr;
    if (sqlite3_open(file.toUtf8().constData(), &db) != SQLITE_OK)
        return -1;
    bytes = 0;
    for (const char* sql : {"select * from json_store", "select * from file_store"}) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
            return -1;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                if (sqlite3_column_type(statement, c) == SQLITE_BLOB)
                    sqlite3_column_blob(statement, c);
                else
                    sqlite3_column_text(statement, c);
                bytes += sqlite3_column_bytes(statement, c);
            }
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return double(clock.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QString file;
    int profiles = 200;
    int cards = 20;
    int rounds = 7;
    bool makeOnly = false;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--project") == 0)
            file = QString::fromLocal8Bit(argv[i + 1]);
        else if (std::strcmp(argv[i], "--profiles") == 0)
            profiles = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--cards") == 0)
            cards = std::max(0, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--rounds") == 0)
            rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--make-only") == 0)
            makeOnly = std::atoi(argv[i + 1]) != 0;
    }
    QTemporaryDir scratch;
    if (file.isEmpty())
        file = scratch.filePath(QStringLiteral("bench.ovpf"));
    file = QFileInfo(file).absoluteFilePath();
    if (makeOnly) {
        Logger::instance()->setMinLevel(LogError);
        std::fprintf(stderr, "making %s: %d profiles x %d cards...\n", qPrintable(file), profiles, cards);
        if (!makeProject(file, profiles, cards)) {
            std::fprintf(stderr, "cannot make the project\n");
            return 1;
        }
        return 0;
    }
    // The project is made by a process of its own, so that the one measured starts as the
    // program does, with nothing of the making left in its heap.
    if (!QFileInfo::exists(file) &&
        QProcess::execute(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--project"), file, QStringLiteral("--profiles"), QString::number(profiles),
                           QStringLiteral("--cards"), QString::number(cards), QStringLiteral("--make-only"),
                           QStringLiteral("1")}) != 0)
        return 1;
    const QString recentList = scratch.filePath(QStringLiteral("recent_project_list.json"));

    qint64 ourBytes = 0;
    qint64 sqliteBytes = 0;
    openAndReadAll(file, recentList, ourBytes); // warm the page cache
    sqliteReadAll(file, sqliteBytes);
    std::vector<double> opens;
    std::vector<double> ours;
    std::vector<double> sqlite;
    for (int r = 0; r < rounds; ++r) {
        ours.push_back(openAndReadAll(file, recentList, ourBytes));
        opens.push_back(g_openMs);
        sqlite.push_back(sqliteReadAll(file, sqliteBytes));
        if (ours.back() < 0 || sqlite.back() < 0) {
            std::fprintf(stderr, "a read failed\n");
            return 1;
        }
    }
    const double a = median(ours);
    const double b = median(sqlite);
    std::fprintf(stderr,
                 "%s (%.1f MB): open and read through the use cases %.1f ms (the open %.1f ms; %.1f MB of pictures), "
                 "SQLite alone "
                 "%.1f ms; ratio %.2f\n",
                 qPrintable(QFileInfo(file).fileName()), double(QFileInfo(file).size()) / 1e6, a, median(opens),
                 double(ourBytes) / 1e6, b, a / b);
    return 0;
}
