#include "main/MainTitleBar.h"

#include "core/EventBus.h"
#include "core/Logger.h"
#include "core/PngPicture.h"
#include "device/KestrinDevice.h"
#include "main/MainKestrinWidget.h"
#include "main/MainWindow.h"
#include "main/ProgressButton.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileUseCase.h"
#include "store/StoreUtils.h"
#include "store/StoreWindow.h"
#include "widgets/AnchorLayout.h"
#include "widgets/BusyIndicator.h"
#include "widgets/ElidedLabel.h"
#include "widgets/MessageDialog.h"
#include "widgets/ToastWidget.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>

namespace OV {

namespace {
constexpr int kBarHeight = 40;

void removeLayout(QWidget* widget)
{
    delete widget->layout();
}
} // namespace

MainTitleBar::MainTitleBar(QWidget* parent) : BaseWidget(parent)
{
    setFixedHeight(kBarHeight);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 0, 60, 0);
    layout->setSpacing(10);
    layout->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_menuButton = new QPushButton(this);
    m_menuButton->setObjectName(QStringLiteral("windowButton"));
    m_menuButton->setFixedSize(40, 40);
    m_menuButton->setIcon(PngPicture::icon(QStringLiteral(":/main/image/window_menu.png")));
    m_menuButton->setIconSize(QSize(20, 20));
    m_menu = new QMenu(m_menuButton);
    m_menu->setMinimumWidth(120);
    connect(m_menuButton, &QPushButton::clicked, this,
            [this] { m_menu->exec(m_menuButton->mapToGlobal(QPoint(0, m_menuButton->height() + 4))); });

    m_projectName = new ElidedLabel(this);
    m_projectName->setFixedWidth(250);

    m_storeButton = new BaseWidget(this);
    m_storeButton->setObjectName(QStringLiteral("windowButton"));
    m_storeButton->setMinimumWidth(50);
    auto* storeLayout = new QHBoxLayout(m_storeButton);
    auto* storeIcon = new QLabel(m_storeButton);
    storeIcon->setFixedSize(20, 20);
    storeIcon->setPixmap(PngPicture::pixmap(QStringLiteral(":/main/image/icon_store_48x48.png"))
                             .scaled(20, 20, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    storeLayout->addWidget(storeIcon);
    storeLayout->addWidget(new QLabel(tr("App and Plugin Store"), m_storeButton));

    m_kestrinWidget = new MainKestrinWidget(this);

    auto* deployArea = new QWidget(this);
    deployArea->setFixedSize(28, kBarHeight);
    auto* deployLayout = new QHBoxLayout(deployArea);
    deployLayout->setContentsMargins(0, 0, 0, 0);
    deployLayout->setSpacing(0);
    m_deployButton = new ProgressButton(QStringLiteral(":/image/icon_deploy.png"), deployArea);
    m_deployButton->setObjectName(QStringLiteral("deployButton"));
    m_deployButton->setToolTip(tr("Deploy project"));
    m_deployButton->setFixedSize(28, 28);
    deployLayout->addWidget(m_deployButton);
    removeLayout(m_deployButton);
    removeLayout(m_deployButton->iconLabel());
    removeLayout(m_deployButton->busyIndicator());
    for (QWidget* child :
         {static_cast<QWidget*>(m_deployButton->iconLabel()), static_cast<QWidget*>(m_deployButton->busyIndicator())}) {
        child->setFixedSize(19, 19);
        AnchorLayout::get(child)->centerIn(AnchorLayout::get(m_deployButton));
    }

    layout->addWidget(m_menuButton);
    layout->addWidget(m_projectName);
    layout->addStretch(1);
    layout->addWidget(m_storeButton);
    layout->addSpacing(30);
    layout->addWidget(m_kestrinWidget);
    layout->addWidget(deployArea);

    const std::pair<int, QString> items[] = {
        {MenuCloseProject, tr("Close Project")},
        {MenuSaveProjectAs, tr("Save Project As")},
        {MenuSettings, tr("Settings")},
    };
    for (const auto& [id, text] : items) {
        QAction* action = m_menu->addAction(text);
        action->setData(id);
        m_menu->addSeparator();
    }
    connect(m_menu, &QMenu::triggered, this, [this](QAction* action) {
        if (menuHandler)
            menuHandler(action->data().toInt());
    });

    connect(m_deployButton, &QPushButton::clicked, this, &MainTitleBar::deployProject);
    connect(m_storeButton, &BaseWidget::clicked, this, &MainTitleBar::openStore);
    connect(EventBus::instance(), &EventBus::messagePosted, this,
            [this](const QSharedPointer<EventBusMessage>&) { updateDeployButton(); });
    updateDeployButton();
}

void MainTitleBar::setProjectName(const QString& name)
{
    m_projectName->fullText = name;
    m_projectName->updateText();
}

QString MainTitleBar::projectName() const
{
    return m_projectName->fullText;
}

QList<QWidget*> MainTitleBar::hitTestWidgets() const
{
    return {m_menuButton, m_storeButton, m_kestrinWidget, m_deployButton};
}

void MainTitleBar::updateDeployButton()
{
    m_deployButton->setVisible(ProjectManager::instance()->getCurrentKestrin() != nullptr);
}

void MainTitleBar::openStore()
{
    // Every click makes a new window, which owns its life from then on.
    auto* store = new StoreWindow(nullptr);
    store->setAttribute(Qt::WA_DeleteOnClose);
    store->show();
}

void MainTitleBar::deployProject()
{
    // Against an offline hub the deploy could only end in a time-out that names no cause.
    const auto hub = ProjectManager::instance()->getCurrentKestrin();
    if (hub && hub->getState() != KestrinDevice::Connected) {
        MessageDialog::error(tr("Deploy failed. The Kestrin is offline: check that it is on and connected to this "
                                "network, then try again."),
                             true);
        return;
    }
    if (!m_deployButton->isBusy())
        m_deployButton->setBusy(true);
    // The bar may be gone (project closed) when the deploy's result arrives.
    QPointer<MainTitleBar> self(this);
    ProjectManager::instance()->deployProject([self](const BaseResult<void>& result) {
        if (self)
            self->onDeployFinished(result);
    });
}

void MainTitleBar::onDeployFinished(const BaseResult<void>& result)
{
    if (m_deployButton->isBusy())
        m_deployButton->setBusy(false);
    if (!result.isOk()) {
        MessageDialog::error(formatErrorDetails(result), true);
        return;
    }
    ToastWidget::showInfo(MainWindow::instance(), tr("Deploy Success"), true, 1500);
    ProjectManager* manager = ProjectManager::instance();
    const auto hub = manager->getCurrentKestrin();
    const auto profile = MainWindow::currentProfile();
    if (!hub || !profile)
        return;
    ProjectProfileUseCase::setCurrentProfile(hub, ProjectProfileUseCase::profileKey(*profile),
                                             [](const BaseResult<void>& answer) {
                                                 if (!answer.isOk())
                                                     Logger::error("MainTitleBar", "setCurrentProfile error: %s",
                                                                   formatErrorDetails(answer).toUtf8().constData());
                                             });
}

} // namespace OV
