// Whole-process figures for the first windows, each mode ending as soon as its window has been
// shown and painted once:
//
//   main_window_bench bare                 a bare QApplication showing one QWidget
//   main_window_bench start                start-up as the program does it, up to the start window
//   main_window_bench make <file> [P [C]]  writes a project of P profiles (200) with C cards each
//                                          (20), through the use cases: a picture per profile, an
//                                          application card with its icon per card
//   main_window_bench open <file>          start-up, then that project opened into the main window
//   main_window_bench switch <file> [N]    as open, then N (20) changes of the current profile
//                                          through the drop-down, each painted
//   main_window_bench deploy <file>        that project opened and deployed to the stand-in hub
//   main_window_bench recent <N>           leaves N projects (empty files) in the recent list that
//                                          "start" shows; "open" and "switch" add theirs, so run
//                                          this before timing "start"
//
// Set "sqlite3 <file> 'select * from json_store; ...'" beside "open" for the reading cost, and
// "bare" beside "start" and "open" for start-up time and resident memory; "open" beside "switch"
// gives the cost of the changes.
#include "core/AppDirs.h"
#include "core/Application.h"
#include "main/MainProfilePanel.h"
#include "main/MainProfileWidget.h"
#include "main/MainWindow.h"
#include "main/StartWindow.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectDeploy.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "project/ProjectProfileUseCase.h"
#include "support/StandInHttpServer.h"
#include "support/StandinHub.h"
#include "support/TestSetup.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kProfiles = 200;
constexpr int kCardsPerProfile = 20;
constexpr int kSwitches = 20;
// What the picture picker and an application's store icon give, roughly.
constexpr int kProfilePictureSize = 256;
constexpr int kCardIconSize = 96;

// A picture that compresses like a real one rather than like one colour.
QPixmap benchPicture(int size, int seed)
{
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, size, size);
    gradient.setColorAt(0, QColor::fromHsv((seed * 37) % 360, 200, 230));
    gradient.setColorAt(1, QColor::fromHsv((seed * 37 + 120) % 360, 160, 120));
    painter.setBrush(gradient);
    painter.setPen(QPen(Qt::white, size / 24));
    painter.drawRoundedRect(QRectF(size * 0.05, size * 0.05, size * 0.9, size * 0.9), size / 6, size / 6);
    painter.drawEllipse(QPointF(size / 2.0, size / 2.0), size / 4.0, size / 5.0);
    return picture;
}

// Ends the event loop once the widget has been painted, or counts its paints when told to go on.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget* widget, bool exitOnPaint = true) : m_exitOnPaint(exitOnPaint)
    {
        widget->installEventFilter(this);
    }

    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            if (m_exitOnPaint)
                QTimer::singleShot(0, qApp, &OV::Application::requestExit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_exitOnPaint;
};

// Chooses another profile in the drop-down, as a user does, `times` times; each change waits
// until the panel's picture has been painted again.
void switchProfiles(OV::MainWindow* window, int times, bool phases)
{
    auto* panel = qobject_cast<OV::MainProfilePanel*>(window->profilePanel());
    if (!panel)
        return;
    PaintWatch painted(panel->picture(), false);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < times; ++i) {
        const QList<OV::MainProfileWidget::ProfileItem*> rows = panel->header()->rows();
        if (rows.size() < 2)
            return;
        const int before = painted.paints;
        rows[(i * 7 + 1) % rows.size()]->setSelected(true);
        while (painted.paints == before)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (phases && (i == 0 || i == times - 1))
            std::fprintf(stderr, "switch %d %.1f ms\n", i + 1, static_cast<double>(clock.nsecsElapsed()) / 1e6);
        clock.restart();
    }
}

int usage()
{
    std::fprintf(stderr, "usage: main_window_bench bare | start | make <file> [profiles [cards]] | open <file> | "
                         "switch <file> [times] | deploy <file> | recent <count>\n");
    return 2;
}

int setRecentList(int count)
{
    OV::ProjectManager* pm = OV::ProjectManager::instance();
    for (const QString& path : QStringList(pm->recentList()))
        pm->removeRecentListItem(path);
    const QString dir = OV::AppDirs::projectDir(QStringLiteral("recent"));
    for (int i = count; i >= 1; --i) {
        const QString path = dir + QStringLiteral("/Bench project %1.ovpf").arg(i);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        pm->addRecentList(path);
    }
    return 0;
}

int makeProject(const QString& file, int profileCount, int cardCount)
{
    const QFileInfo info(file);
    QFile::remove(info.absoluteFilePath());
    OV::ProjectManager pm(info.absolutePath() + QStringLiteral("/bench-recent.json"), info.absolutePath());
    if (!pm.createProject(info.completeBaseName(), info.absolutePath()).isOk())
        return 1;
    const auto profiles = pm.getProfileUseCase();
    const auto cards = pm.getProfileKsWidgetUseCase();
    for (int p = 1; p < profileCount; ++p) {
        if (!profiles->createProfile(QStringLiteral("Profile %1").arg(p), QString()).isOk())
            return 1;
    }
    const auto all = profiles->accessor->findAll(false);
    if (!all.isOk())
        return 1;
    int64_t sortId = 1;
    int seed = 0;
    for (const auto& profile : *all.data) {
        QPixmap picture = benchPicture(kProfilePictureSize, seed++);
        profile->icon = QStringLiteral("bench-picture-%1").arg(profile->id);
        if (!profiles->updateProfile(*profile, &picture).isOk())
            return 1;
        const OV::BaseResult<void> stored = cards->transaction([&]() -> OV::BaseResult<void> {
            for (int c = 0; c < cardCount; ++c) {
                OV::ProjectDbProfileKsWidgetBean card;
                card.sortId = sortId++;
                card.setProfileId(profile->id);
                card.widgetType = QStringLiteral("app");
                card.uid = QStringLiteral("card-%1-%2").arg(profile->id).arg(c);
                card.name = QStringLiteral("App %1").arg(c);
                const std::string package = QStringLiteral("bench.app.%1").arg(c).toStdString();
                // As a card dropped on the strip stores it, its deploy entry included.
                card.setData({{"name", card.name.toStdString()},
                              {"iconUrl", "https://127.0.0.1:1/icon.png"},
                              {"package", package},
                              {"type", "APPS"},
                              {"deploymentData", {{"id", package}, {"type", "APPS"}}}});
                OV::BaseResult<void> one = cards->insertOrUpdate(card);
                if (!one.isOk())
                    return one;
                QPixmap icon = benchPicture(kCardIconSize, seed + c);
                one = cards->saveWidgetIcon(card, &icon);
                if (!one.isOk())
                    return one;
            }
            return {};
        });
        if (!stored.isOk())
            return 1;
    }
    pm.closeProject();
    return 0;
}

// Opens the project, makes the stand-in hub the current one and deploys to it; 0 when the deploy
// reported success.
int deployProject(const QString& file)
{
    OV::ProjectManager* pm = OV::ProjectManager::instance();
    if (!pm->openProject(file).isOk())
        return 1;
    OV::Test::StandinHub hub;
    OV::Test::StandInHttpServer http;
    if (!hub.listen() || !http.start())
        return 1;
    http.route(QStringLiteral("/upload/zip"), OV::Test::HttpReply::json({{"state", 200}, {"msg", "ok"}}));
    hub.setValidToken(QStringLiteral("valid"));
    if (!OV::Test::startCurrentHub(*pm, OV::Test::standinHost(hub, QStringLiteral("KS-1"), QStringLiteral("valid")),
                                   5000))
        return 1;
    QTemporaryDir temp;
    OV::DeploySettings settings;
    settings.tempDir = temp.path();
    settings.uploadPort = http.port();
    pm->setDeploySettings(settings);
    int code = -1;
    QElapsedTimer clock;
    clock.start();
    pm->deployProject([&code](const OV::BaseResult<void>& result) {
        code = result.isOk() ? 0 : 1;
        QTimer::singleShot(0, qApp, &OV::Application::requestExit);
    });
    QApplication::exec();
    if (qEnvironmentVariableIsSet("ORVEL_BENCH_PHASES"))
        std::fprintf(stderr, "deploy %.1f ms\n", static_cast<double>(clock.nsecsElapsed()) / 1e6);
    pm->closeProject();
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    const char* mode = argv[1];
    if (std::strcmp(mode, "bare") == 0) {
        QApplication app(argc, argv);
        QWidget window;
        window.resize(1152, 806);
        PaintWatch watch(&window);
        window.show();
        return app.exec();
    }
    const bool switching = std::strcmp(mode, "switch") == 0;
    if (std::strcmp(mode, "bare") != 0 && std::strcmp(mode, "start") != 0 && argc < 3)
        return usage();
    const auto number = [&](int index, int fallback) { return argc > index ? std::atoi(argv[index]) : fallback; };
    OV::Application app(argc, argv);
    OV::Application::setInstance(&app);
    if (std::strcmp(mode, "recent") == 0)
        return setRecentList(std::max(0, number(2, 0)));
    if (std::strcmp(mode, "make") == 0)
        return makeProject(QString::fromLocal8Bit(argv[2]), std::max(1, number(3, kProfiles)),
                           std::max(0, number(4, kCardsPerProfile)));
    // With ORVEL_BENCH_PHASES set, the time of each step goes to standard error.
    const bool phases = qEnvironmentVariableIsSet("ORVEL_BENCH_PHASES");
    QElapsedTimer clock;
    clock.start();
    auto phase = [&](const char* name) {
        if (phases)
            std::fprintf(stderr, "%s %.1f ms\n", name, static_cast<double>(clock.nsecsElapsed()) / 1e6);
        clock.restart();
    };
    app.init();
    phase("init");
    if (std::strcmp(mode, "deploy") == 0)
        return deployProject(QString::fromLocal8Bit(argv[2]));
    QWidget* window = nullptr;
    if (std::strcmp(mode, "start") == 0) {
        OV::ProjectManager::instance();
        phase("project manager");
        window = new OV::StartWindow(nullptr);
        phase("start window");
    } else if (std::strcmp(mode, "open") == 0 || switching) {
        if (!OV::ProjectManager::instance()->openProject(QString::fromLocal8Bit(argv[2])).isOk())
            return 1;
        phase("open project");
        window = new OV::MainWindow(nullptr);
        phase("main window");
        if (!OV::MainWindow::currentProfile())
            return 1;
    } else {
        return usage();
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    PaintWatch watch(window, !switching);
    window->show();
    const QPointer<QWidget> alive(window);
    if (switching) {
        while (watch.paints == 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        phase("shown and painted");
        switchProfiles(static_cast<OV::MainWindow*>(window), std::max(1, number(3, kSwitches)), phases);
        phase("switched");
        QTimer::singleShot(0, qApp, &OV::Application::requestExit);
    }
    const int code = QApplication::exec();
    phase(switching ? "closed" : "shown and painted");
    delete alive.data();
    OV::Application::setInstance(nullptr);
    return code;
}
