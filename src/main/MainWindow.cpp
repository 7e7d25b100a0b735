#include "main/MainWindow.h"

#include "cards/KestrinWidgetListPanel.h"
#include "core/Application.h"
#include "core/FileUtils.h"
#include "core/PngPicture.h"

#include "core/ImageLoader.h"
#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "core/Utils.h"
#include "main/MainDeviceListItem.h"
#include "main/MainDeviceListWidget.h"
#include "main/MainProfilePanel.h"
#include "main/MainTitleBar.h"
#include "main/SettingsWindow.h"
#include "main/StartWindow.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileUseCase.h"
#include "widgets/FileDialog.h"
#include "widgets/MessageDialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QSaveFile>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QVBoxLayout>
#include <QWindow>

namespace OV {

namespace {
MainWindow* g_instance = nullptr;

QWidget* makeDivider(QWidget* parent, bool horizontal)
{
    auto* divider = new QWidget(parent);
    divider->setObjectName(QStringLiteral("divider"));
    divider->setAttribute(Qt::WA_StyledBackground);
    if (horizontal)
        divider->setFixedHeight(2);
    else
        divider->setFixedWidth(2);
    return divider;
}

constexpr const char* kProjectFilter = "OrvelMate Project (*%1)";

std::function<bool()>& trayAvailabilityProvider()
{
    static std::function<bool()> provider;
    return provider;
}
} // namespace

MainWindow::MainWindow(QWidget* parent) : BaseWindow(parent)
{
    m_projectManager = ProjectManager::instance();
    // Set before any panel is built: panels may use the static operations while they are made.
    g_instance = this;
    // The window's sheet is in place before the panels are made, so each widget is styled once
    // rather than again at the first show.
    onThemeChanged(ThemeLoader::instance());

    QScreen* screen = windowHandle() ? windowHandle()->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        const int w = static_cast<int>(static_cast<float>(area.width()) * 0.7f);
        const int h = std::min(static_cast<int>(static_cast<float>(area.height()) * 0.8f),
                               static_cast<int>(static_cast<float>(w) * 0.7f));
        setMinimumSize(w, h);
    }
    // The window lives on in the tray: closing the last visible window (this one, the store, a
    // picker) must not end the program; it ends through "Exit".
    QApplication::setQuitOnLastWindowClosed(false);
    // Ending the program otherwise than through the tray (a stop asked by the session): this
    // window then closes for real too.
    if (Application* app = Application::instance())
        connect(app, &Application::exitRequested, this, [this] { m_quit = true; });
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setTitle(QString());
    createTrayIcon();
    createTitleBar();
    m_profileUseCase = m_projectManager->getProfileUseCase();

    QWidget* content = contentArea();
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* topRow = new QWidget(content);
    auto* topLayout = new QHBoxLayout(topRow);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->setSpacing(0);
    // Made in the row that holds them: a styled widget moved to another parent is styled again.
    m_profilePanel = createProfilePanel(topRow);
    m_deviceList = createDeviceList(topRow);
    topLayout->addWidget(m_profilePanel, 0);
    topLayout->addWidget(makeDivider(topRow, false));
    topLayout->addWidget(m_deviceList, 0);
    topRow->setFixedHeight(m_deviceList->height());

    auto* bottomRow = new QHBoxLayout();
    bottomRow->setContentsMargins(0, 0, 0, 0);
    bottomRow->setSpacing(0);
    QWidget* topDivider = makeDivider(content, true);
    QWidget* middleDivider = makeDivider(content, true);
    m_editArea = new QWidget(content);
    m_editArea->setObjectName(QStringLiteral("editArea"));
    m_editLayout = new QVBoxLayout(m_editArea);
    m_editLayout->setContentsMargins(0, 0, 0, 0);
    m_editLayout->setSpacing(0);
    QWidget* sideDivider = makeDivider(content, false);
    m_widgetListPanel = createWidgetListPanel(content);
    bottomRow->addWidget(m_editArea, 65);
    bottomRow->addWidget(sideDivider);
    bottomRow->addWidget(m_widgetListPanel, 35);

    layout->addWidget(topDivider);
    layout->addWidget(topRow);
    layout->addWidget(middleDivider);
    layout->addLayout(bottomRow, 1);

    updateEnabledState();
}

MainWindow::~MainWindow()
{
    ImageLoader::instance()->clearMemoryCache();
    if (g_instance == this)
        g_instance = nullptr;
    Logger::info("MainWindow", "~MainWindow()");
}

MainWindow* MainWindow::instance()
{
    return g_instance;
}

std::shared_ptr<ProjectDbProfileBean> MainWindow::currentProfile()
{
    return g_instance ? g_instance->m_currentProfile : nullptr;
}

QString MainWindow::currentEditPanelKey()
{
    return g_instance ? g_instance->m_editPanelKey : QString();
}

void MainWindow::setCurrentProfile(std::shared_ptr<ProjectDbProfileBean> profile)
{
    if (!g_instance)
        return;
    g_instance->m_currentProfile = std::move(profile);
    g_instance->updateEnabledState();
    g_instance->reloadDeviceTiles();
}

void MainWindow::setEditPanel(const QString& key, QWidget* widget)
{
    if (g_instance)
        g_instance->showEditPanel(key, widget);
}

void MainWindow::clearEditPanel()
{
    setEditPanel(createUuid(), nullptr);
}

void MainWindow::showEditPanel(const QString& key, QWidget* widget)
{
    if (widget == m_editPanel.data() || key == m_editPanelKey)
        return;
    while (QLayoutItem* item = m_editLayout->takeAt(0)) {
        if (QWidget* old = item->widget()) {
            old->setParent(nullptr);
            old->deleteLater();
        }
        delete item;
    }
    m_editPanel = widget;
    m_editPanelKey = key;
    if (widget)
        m_editLayout->addWidget(widget, 1);
}

void MainWindow::updateEnabledState()
{
    const bool enabled = m_currentProfile != nullptr;
    for (QWidget* area : {m_deviceList, m_widgetListPanel, m_editArea}) {
        if (area)
            area->setEnabled(enabled);
    }
}

void MainWindow::reloadDeviceTiles()
{
    auto* row = qobject_cast<MainDeviceListWidget*>(m_deviceList);
    if (!row)
        return;
    for (MainDeviceListItem* tile : row->tiles())
        tile->onCurrentProfileChanged(m_currentProfile ? std::make_shared<ProjectDbProfileBean>(*m_currentProfile)
                                                       : nullptr);
}

QWidget* MainWindow::createProfilePanel(QWidget* parent)
{
    return new MainProfilePanel(parent);
}

QWidget* MainWindow::createDeviceList(QWidget* parent)
{
    return new MainDeviceListWidget(parent);
}

QWidget* MainWindow::createWidgetListPanel(QWidget* parent)
{
    return new KestrinWidgetListPanel(parent);
}

void MainWindow::createTrayIcon()
{
    m_trayIcon = new QSystemTrayIcon(this);
    m_trayIcon->setIcon(PngPicture::icon(QStringLiteral(":/image/orvel_mate_icon.png")));
    m_trayIcon->setVisible(true);
    auto* menu = new QMenu(this);
    m_exitAction = menu->addAction(tr("Exit"));
    // Quitting closes every window: this one then closes for real instead of hiding.
    connect(m_exitAction, &QAction::triggered, this, [this] {
        m_quit = true;
        QCoreApplication::quit();
    });
    m_trayIcon->setContextMenu(menu);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { onTrayActivated(reason); });
}

bool MainWindow::isTrayAvailable()
{
    if (const auto& provider = trayAvailabilityProvider())
        return provider();
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void MainWindow::setTrayAvailabilityProvider(std::function<bool()> provider)
{
    trayAvailabilityProvider() = std::move(provider);
}

void MainWindow::putAway()
{
    if (isTrayAvailable())
        hide();
    else
        showMinimized();
}

void MainWindow::onTrayActivated(int reason)
{
    // Desktops whose trays speak the D-Bus status-notifier protocol report a left click as
    // Trigger and never a double click: the window must come back from either.
    if (reason != QSystemTrayIcon::DoubleClick && reason != QSystemTrayIcon::Trigger)
        return;
    showNormal();
    activateWindow();
}

void MainWindow::createTitleBar()
{
    m_titleBar = new MainTitleBar();
    setTitleBarWidget(m_titleBar);
    for (QWidget* widget : m_titleBar->hitTestWidgets())
        setHitTestVisible(widget, true);
    // The name may hold dots of its own: only the extension is cut.
    m_titleBar->setProjectName(m_projectManager->projectFileInfo().completeBaseName());
    m_titleBar->menuHandler = [this](int id) { onTitleMenu(id); };
}

void MainWindow::onThemeChanged(ThemeLoader* loader)
{
    // Setting the same sheet again would restyle every widget of the window for nothing.
    const QString sheet = loader->load(QStringLiteral("main_window"));
    if (styleSheet() != sheet)
        setStyleSheet(sheet);
}

QSize MainWindow::defaultWindowSize()
{
    return minimumSize();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_quit) {
        BaseWindow::closeEvent(event);
        return;
    }
    putAway();
    event->ignore();
}

void MainWindow::onTitleMenu(int id)
{
    switch (id) {
    case MainTitleBar::MenuCloseProject:
        closeProject();
        break;
    case MainTitleBar::MenuSaveProjectAs:
        saveProjectAs();
        break;
    case MainTitleBar::MenuSettings:
        openSettings();
        break;
    default:
        break;
    }
}

void MainWindow::closeProject()
{
    // The deploy reads the open project until it ends.
    if (m_projectManager->isDeploying()) {
        MessageDialog::warning(tr("A deploy is running. Try again when it has finished."), true);
        return;
    }
    m_quit = true;
    m_projectManager->closeProject();
    auto* start = new StartWindow(nullptr);
    start->setAttribute(Qt::WA_DeleteOnClose);
    start->show();
    close();
}

void MainWindow::saveProjectAs()
{
    if (m_projectManager->isDeploying()) {
        MessageDialog::warning(tr("A deploy is running. Try again when it has finished."), true);
        return;
    }
    const QFileInfo source = m_projectManager->projectFileInfo();
    const QString filter = QString::fromLatin1(kProjectFilter).arg(QLatin1String(ProjectManager::kProjectExtension));
    const QString proposed = QDir::homePath() + QLatin1Char('/') + source.completeBaseName();
    const QLatin1String extension(ProjectManager::kProjectExtension);
    QString target =
        FileDialog::getSaveFileName(this, tr("Save Project As"), proposed, filter, QString(extension).mid(1));
    if (target.isEmpty())
        return;
    // Without the extension the copy would be missing from the project chooser. A chooser that
    // did not add it never asked about the file with it: that one is not replaced unasked.
    if (!target.endsWith(extension, Qt::CaseInsensitive)) {
        target += extension;
        if (QFileInfo::exists(target)) {
            MessageDialog::error(tr("%1 already exists. Choose another name.").arg(QDir::toNativeSeparators(target)),
                                 true);
            return;
        }
    }
    const QFileInfo targetInfo(target);
    // Writing over the open file would destroy the project being copied.
    if (targetInfo.exists() && targetInfo.canonicalFilePath() == source.canonicalFilePath()) {
        MessageDialog::error(tr("The project is already saved in this file. Choose another file."), true);
        return;
    }
    if (targetInfo.exists() && !targetInfo.isFile()) {
        MessageDialog::error(tr("Delete target file failed."), true);
        return;
    }
    // The copy is written beside the target and renamed over it only when complete.
    QFile in(source.absoluteFilePath());
    QSaveFile out(target);
    bool ok = in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly);
    while (ok && !in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        ok = !chunk.isEmpty() && out.write(chunk) == chunk.size();
    }
    ok = ok && in.error() == QFileDevice::NoError && commitSaveFile(out);
    if (!ok) {
        out.cancelWriting();
        Logger::error("MainWindow", "save project as failed, path:%s", target.toUtf8().constData());
        MessageDialog::error(tr("Save project file failed."), true);
        return;
    }
    MessageDialog::information(tr("Save project file success."), true);
}

void MainWindow::openSettings()
{
    auto* settings = new SettingsWindow(nullptr);
    settings->setAttribute(Qt::WA_DeleteOnClose);
    settings->show();
}

} // namespace OV
