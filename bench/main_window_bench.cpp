// Whole-process figures for the first windows, each mode ending as soon as its window has been
// shown and painted once:
//
//   main_window_bench bare           a bare QApplication showing one QWidget
//   main_window_bench start          start-up as the program does it, up to the start window
//   main_window_bench make <file>    writes a project of 200 profiles with 20 cards each
//   main_window_bench open <file>    start-up, then that project opened into the main window
//
// Set "sqlite3 <file> 'select * from json_store; ...'" beside "open" for the reading cost, and
// "bare" beside "start" and "open" for start-up time and resident memory.
#include "core/AppDirs.h"
#include "core/Application.h"
#include "main/MainWindow.h"
#include "main/StartWindow.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "project/ProjectProfileUseCase.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kProfiles = 200;
constexpr int kCardsPerProfile = 20;

// Ends the event loop once the window has been painted.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget* window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &OV::Application::requestExit);
        return QObject::eventFilter(watched, event);
    }
};

int usage()
{
    std::fprintf(stderr, "usage: main_window_bench bare | start | make <file> | open <file>\n");
    return 2;
}

int makeProject(const QString& file)
{
    const QFileInfo info(file);
    QFile::remove(info.absoluteFilePath());
    OV::ProjectManager pm(info.absolutePath() + QStringLiteral("/bench-recent.json"), info.absolutePath());
    if (!pm.createProject(info.completeBaseName(), info.absolutePath()).isOk())
        return 1;
    const auto profiles = pm.getProfileUseCase();
    const auto cards = pm.getProfileKsWidgetUseCase();
    for (int p = 1; p < kProfiles; ++p) {
        if (!profiles->createProfile(QStringLiteral("Profile %1").arg(p), QString()).isOk())
            return 1;
    }
    const auto all = profiles->accessor->findAll(false);
    if (!all.isOk())
        return 1;
    int64_t sortId = 1;
    for (const auto& profile : *all.data) {
        const OV::BaseResult<void> stored = cards->transaction([&]() -> OV::BaseResult<void> {
            for (int c = 0; c < kCardsPerProfile; ++c) {
                OV::ProjectDbProfileKsWidgetBean card;
                card.sortId = sortId++;
                card.setProfileId(profile->id);
                card.widgetType = QStringLiteral("clock");
                card.uid = QStringLiteral("card-%1-%2").arg(profile->id).arg(c);
                card.name = card.uid;
                card.setData({{"timeZone", "Europe/Oslo"}, {"format", "HH:mm"}, {"showSeconds", c % 2 == 0}});
                const OV::BaseResult<void> one = cards->accessor->insert(card);
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
    if ((std::strcmp(mode, "make") == 0 || std::strcmp(mode, "open") == 0) && argc < 3)
        return usage();
    OV::Application app(argc, argv);
    OV::Application::setInstance(&app);
    if (std::strcmp(mode, "make") == 0)
        return makeProject(QString::fromLocal8Bit(argv[2]));
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
    QWidget* window = nullptr;
    if (std::strcmp(mode, "start") == 0) {
        OV::ProjectManager::instance();
        phase("project manager");
        window = new OV::StartWindow(nullptr);
        phase("start window");
    } else if (std::strcmp(mode, "open") == 0) {
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
    PaintWatch watch(window);
    window->show();
    const QPointer<QWidget> alive(window);
    const int code = QApplication::exec();
    phase("shown and painted");
    delete alive.data();
    OV::Application::setInstance(nullptr);
    return code;
}
