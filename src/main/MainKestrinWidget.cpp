#include "main/MainKestrinWidget.h"

#include "core/EventBus.h"
#include "core/Logger.h"
#include "core/PngPicture.h"
#include "core/ThemeLoader.h"
#include "main/MainKestrinDialog.h"
#include "project/ProjectDbHostBean.h"
#include "project/ProjectHostUseCase.h"
#include "project/ProjectManager.h"
#include "widgets/BusyIndicator.h"
#include "widgets/ElidedLabel.h"
#include "widgets/MessageDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QWidgetAction>

#include <chrono>

namespace OV {

namespace {

constexpr const char* kTag = "MainKestrinWidget";

QPixmap scaledPicture(const QString& path, QSize size)
{
    return PngPicture::pixmap(path).scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

MainKestrinWidget::MainKestrinWidget(QWidget* parent) : BaseWidget(parent)
{
    // One shot: each offline report is held back once; a later report starts it again.
    m_deferralTimer = new QTimer(this);
    m_deferralTimer->setSingleShot(true);
    connect(m_deferralTimer, &QTimer::timeout, this,
            [this] { onStateChanged(m_session ? m_session->getState() : KestrinDevice::Disconnected); });

    setObjectName(QStringLiteral("kestrinPanel"));
    setFixedHeight(34);
    setMinimumWidth(160);

    m_iconHolder = new QWidget(this);
    m_iconHolder->setFixedSize(18, 18);
    m_iconLabel = new QLabel(m_iconHolder);
    m_iconLabel->setFixedSize(18, 18);
    m_iconLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_busyIndicator = new BusyIndicator(m_iconHolder);
    m_busyIndicator->setFixedSize(18, 18);
    m_busyIndicator->hide();

    m_nameLabel = new ElidedLabel(this);
    m_nameLabel->setMinimumWidth(120);
    m_nameLabel->setMaximumWidth(160);
    m_nameLabel->setAlignment(Qt::AlignCenter);

    m_arrowLabel = new QLabel(this);
    m_arrowLabel->setFixedSize(16, 16);
    m_arrowLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    setArrow(QStringLiteral(":/main/image/icon_right_arrow.png"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 0, 8, 0);
    layout->setSpacing(10);
    layout->addWidget(m_iconHolder, 0);
    layout->addWidget(m_nameLabel, 1);
    layout->addWidget(m_arrowLabel, 0);

    buildMenu();
    // The state starts as offline: show it so, not an empty icon.
    showOffline();

    const QPointer<MainKestrinWidget> self(this);
    m_pairingCallbacks.onWaitConfirm = [self] {
        if (!self)
            return;
        self->newMessageDialog();
        self->m_promptDialog->setIcon(MessageDialog::Information);
        self->m_promptDialog->setText(
            tr("Your request has been submitted.\nPlease authorize it on the [Kestrin] within 15 seconds."));
        self->m_promptDialog->show();
    };
    m_pairingCallbacks.onError = [self](const QString& reason) {
        if (!self)
            return;
        self->newMessageDialog();
        self->m_promptDialog->setIcon(MessageDialog::Error);
        self->m_promptDialog->setText(QStringLiteral("Error: ") + reason);
        self->m_promptDialog->show();
    };
    m_pairingCallbacks.onSuccess = [self] {
        if (!self)
            return;
        self->takeTokenFromSession();
        if (self->m_promptDialog)
            self->m_promptDialog->close();
    };

    refreshKestrin(false);

    connect(EventBus::instance(), &EventBus::messagePosted, this,
            [this](const QSharedPointer<EventBusMessage>& message) {
                if (message && message->topic == QLatin1String(Topics::ShowKestrinDialog))
                    showKestrinDialog();
            });
}

MainKestrinWidget::~MainKestrinWidget()
{
    if (m_promptDialog)
        m_promptDialog->close();
}

int64_t MainKestrinWidget::now() const
{
    if (m_clock)
        return m_clock();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void MainKestrinWidget::setIcon(const QString& path)
{
    m_iconPath = path;
    m_iconLabel->setPixmap(scaledPicture(path, m_iconLabel->size()));
}

void MainKestrinWidget::setArrow(const QString& path)
{
    m_arrowLabel->setPixmap(scaledPicture(path, m_arrowLabel->size()));
}

void MainKestrinWidget::buildMenu()
{
    m_menu = new QMenu(this);
    auto* header = new QWidget(m_menu);
    header->setFixedHeight(28);
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(10, 0, 8, 0);
    m_menuStateLabel = new QLabel(tr("Offline"), header);
    m_menuStateLabel->setStyleSheet(QStringLiteral("color: #d9534f;"));
    m_reconnectButton = new QPushButton(header);
    m_reconnectButton->setFixedSize(24, 24);
    m_reconnectButton->setObjectName(QStringLiteral("windowButton"));
    m_reconnectButton->setIcon(PngPicture::icon(QStringLiteral(":/image/icon_reconnect.png")));
    m_reconnectButton->setIconSize(QSize(16, 16));
    headerLayout->addWidget(m_menuStateLabel);
    headerLayout->addStretch(0);
    headerLayout->addWidget(m_reconnectButton);

    auto* headerAction = new QWidgetAction(m_menu);
    headerAction->setDefaultWidget(header);
    m_menu->addAction(headerAction);
    m_menu->addSeparator();
    m_changeAction = m_menu->addAction(tr(kChangeKestrinText));

    connect(m_reconnectButton, &QPushButton::clicked, this, [this] {
        if (!m_session)
            return;
        m_session->stop();
        m_session->start(nullptr);
    });
    connect(m_menu, &QMenu::triggered, this, [this](QAction* action) {
        if (action == m_changeAction)
            showKestrinDialog();
    });
}

void MainKestrinWidget::onThemeChanged(ThemeLoader* loader)
{
    setStyleSheet(loader->load(QStringLiteral("main_panels")));
}

void MainKestrinWidget::onClicked()
{
    if (!m_session) {
        showKestrinDialog();
        return;
    }
    m_menu->setMinimumWidth(static_cast<int>(width() * 1.2));
    emit menuAboutToRun(m_menu);
    m_menu->popup(mapToGlobal(QPoint(0, height() + 4)));
}

void MainKestrinWidget::refreshKestrin(bool withPrompts)
{
    const BaseResult<std::shared_ptr<ProjectDbHostBean>> found =
        ProjectManager::instance()->getHostUseCase()->accessor->findFirst();
    if (found.isOk() && *found.data)
        m_host = *found.data;
    else if (!found.isOk())
        Logger::error(kTag, "find host error:%s", found.message.toUtf8().constData());

    // The session of the previous hub no longer speaks for this widget.
    if (m_sessionConnection)
        disconnect(m_sessionConnection);
    m_session.reset();

    if (m_host) {
        m_iconHolder->show();
        setArrow(QStringLiteral(":/main/image/icon_down_arrow.png"));
        if (!m_host->name.isEmpty())
            m_nameLabel->fullText = m_host->name;
        else if (m_host->connType == QLatin1String("tcp"))
            m_nameLabel->fullText = m_host->ip;
        else
            m_nameLabel->fullText = QStringLiteral("Unnamed Kestrin");
        m_nameLabel->updateText();
        ProjectManager::instance()->setCurrentKestrin(m_host);
        m_session = ProjectManager::instance()->getCurrentKestrin();
        if (m_session) {
            m_sessionConnection =
                connect(m_session.get(), &KestrinDevice::onStateChanged, this, &MainKestrinWidget::onStateChanged);
            onStateChanged(m_session->getState());
            m_session->start(withPrompts ? &m_pairingCallbacks : nullptr);
        }
    } else {
        m_iconHolder->hide();
        m_nameLabel->fullText = tr("Kestrin not added");
        m_nameLabel->updateText();
        ProjectManager::instance()->setCurrentKestrin(nullptr);
        setArrow(QStringLiteral(":/main/image/icon_right_arrow.png"));
    }
}

void MainKestrinWidget::takeTokenFromSession()
{
    // The session stored the token it was issued from its own copy of the record; the record
    // this widget holds must carry it too, or the next session would pair again.
    if (m_session && m_host && m_session->getHost() && m_session->getHost()->sn == m_host->sn)
        m_host->token = m_session->getHost()->token;
}

void MainKestrinWidget::showKestrinDialog()
{
    auto* dialog = new MainKestrinDialog(m_host != nullptr);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const QPointer<MainKestrinWidget> self(this);
    dialog->savedHandler = [self] {
        if (self)
            self->refreshKestrin(true);
    };
    dialog->show();
    emit kestrinDialogShown(dialog);
}

void MainKestrinWidget::newMessageDialog()
{
    if (m_promptDialog)
        m_promptDialog->close();
    auto* dialog = new MessageDialog(nullptr);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const QPointer<MainKestrinWidget> self(this);
    dialog->setClosedHandler([self, dialog] {
        if (self && self->m_promptDialog == dialog)
            self->m_promptDialog = nullptr;
    });
    m_promptDialog = dialog;
}

void MainKestrinWidget::showOffline()
{
    setIcon(QStringLiteral(":/image/icon_offline.png"));
    m_busyIndicator->hide();
    m_iconLabel->show();
    m_reconnectButton->show();
    m_reconnectButton->setEnabled(true);
    m_menuStateLabel->setText(QStringLiteral("Offline"));
    m_menuStateLabel->setStyleSheet(QStringLiteral("color: #d9534f;"));
}

void MainKestrinWidget::onStateChanged(int state)
{
    if (state == m_state)
        return;
    Logger::debug(kTag, "Kestrin state changed:%d", state);
    const int64_t current = now();
    switch (state) {
    case KestrinDevice::Disconnected:
        m_deferralTimer->stop();
        if (m_state == KestrinDevice::Connecting) {
            const int64_t elapsed = current - m_lastStateChangeNs;
            if (elapsed < kOfflineHoldBackNs) {
                // "Connecting" stays for at least 5 s; the timer looks at the session again then.
                m_deferralTimer->start(static_cast<int>(5000 - elapsed / 1'000'000));
                return;
            }
        }
        showOffline();
        break;
    case KestrinDevice::Connecting:
        m_busyIndicator->show();
        m_iconLabel->hide();
        m_reconnectButton->hide();
        m_menuStateLabel->setText(tr("Connection..."));
        m_menuStateLabel->setStyleSheet(QStringLiteral("color: #e0d63c;"));
        break;
    case KestrinDevice::Connected:
        m_deferralTimer->stop();
        takeTokenFromSession();
        setIcon(QStringLiteral(":/image/icon_online.png"));
        m_busyIndicator->hide();
        m_iconLabel->show();
        m_reconnectButton->hide();
        m_menuStateLabel->setText(QStringLiteral("Online"));
        m_menuStateLabel->setStyleSheet(QStringLiteral("color: #57965c;"));
        break;
    default:
        Logger::error(kTag, "unknown Kestrin state:%d", state);
        break;
    }
    m_state = state;
    m_lastStateChangeNs = current;
}

} // namespace OV
