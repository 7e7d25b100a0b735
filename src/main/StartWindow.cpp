#include "main/StartWindow.h"

#include "core/AppDirs.h"
#include "core/FileUtils.h"
#include "core/Logger.h"
#include "core/PngPicture.h"
#include "core/ThemeLoader.h"
#include "core/Utils.h"
#include "main/MainWindow.h"
#include "main/NewProjectWindow.h"
#include "main/StartRecentListItem.h"
#include "project/ProjectManager.h"
#include "store/StoreUtils.h"
#include "widgets/AnchorLayout.h"
#include "widgets/BaseWidget.h"
#include "widgets/FileDialog.h"
#include "widgets/MessageDialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace OV {

StartWindow::StartWindow(QWidget* parent) : BaseWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setTitle(tr("Welcome to") + QLatin1Char(' ') + QStringLiteral("Orvel WorkSpace"));
    // The sheets are in place before the widgets they style are made: each is styled once
    // rather than again at the first show.
    onThemeChanged(ThemeLoader::instance());

    QScreen* screen = windowHandle() ? windowHandle()->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    const int w = static_cast<int>(static_cast<float>(area.width()) * 0.6f);
    const int h = std::min(area.height(), static_cast<int>(static_cast<float>(w) * 0.7f));
    setFixedWindowSize(w, h);

    // Made in the place that shows it: a styled widget moved to another parent is styled again.
    auto* body = new QWidget(contentArea());
    body->setFixedSize(w, h - 42);
    auto* bodyLayout = new QHBoxLayout(body);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->setSpacing(0);
    bodyLayout->setAlignment(Qt::AlignLeft);

    // The left column is a layout: its fixed-width name label gives it its 200 pixels.
    constexpr int leftWidth = 200;
    auto* leftLayout = new QVBoxLayout();
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    auto* logoRow = new QHBoxLayout();
    logoRow->setContentsMargins(0, 10, 0, 0);
    auto* logo = new QLabel(body);
    logo->setFixedSize(100, 100);
    // Stored at the size shown.
    logo->setPixmap(PngPicture::pixmap(QStringLiteral(":/start/image/logo.png")));
    logoRow->addStretch();
    logoRow->addWidget(logo);
    logoRow->addStretch();
    leftLayout->addLayout(logoRow);
    auto* product = new QLabel(QStringLiteral("Orvel WorkSpace") + QLatin1Char(' ') + QStringLiteral("V1.0.0"), body);
    product->setObjectName(QStringLiteral("labelOrvelBar"));
    product->setFixedWidth(leftWidth);
    product->setAlignment(Qt::AlignCenter);
    leftLayout->addWidget(product);
    leftLayout->addStretch(1);
    bodyLayout->addLayout(leftLayout, 0);

    auto* rightLayout = new QHBoxLayout();
    rightLayout->setContentsMargins(20, 20, 20, 20);
    rightLayout->setSpacing(0);
    auto* right = new QWidget(body);
    right->setObjectName(QStringLiteral("rightPanel"));
    right->setAttribute(Qt::WA_StyledBackground);
    right->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto* panelLayout = new QVBoxLayout(right);
    panelLayout->setAlignment(Qt::AlignTop);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);

    auto* header = new QWidget(right);
    header->setFixedHeight(50);
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(10, 0, 10, 0);
    headerLayout->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* title = new QLabel(QStringLiteral("Recent Project List"), header);
    title->setObjectName(QStringLiteral("recentTitle"));
    title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_newButton = new QPushButton(QStringLiteral("New Project"), header);
    m_newButton->setFixedSize(100, 28);
    m_openButton = new QPushButton(QStringLiteral("Open"), header);
    m_openButton->setFixedSize(100, 28);
    onThemeChanged(ThemeLoader::instance());
    headerLayout->addWidget(title, 1);
    headerLayout->addWidget(m_newButton);
    headerLayout->addWidget(m_openButton);
    panelLayout->addWidget(header);

    auto* divider = new QWidget(right);
    divider->setObjectName(QStringLiteral("divider"));
    divider->setAttribute(Qt::WA_StyledBackground);
    divider->setFixedHeight(1);
    panelLayout->addWidget(divider);

    m_listArea = new QWidget(right);
    m_emptyLabel =
        new QLabel(tr("No recent projects found. \nYou can create a new project or open an existing one."), m_listArea);
    m_emptyLabel->setObjectName(QStringLiteral("lbNoRecent"));
    m_emptyLabel->setAlignment(Qt::AlignCenter);
    AnchorLayout::get(m_emptyLabel)->fill(AnchorLayout::get(m_listArea))->setMargins(10);
    m_emptyLabel->hide();
    panelLayout->addWidget(m_listArea, 1);

    rightLayout->addWidget(right, 1);
    bodyLayout->addLayout(rightLayout, 1);
    setContentWidget(body);

    connect(m_newButton, &QPushButton::clicked, this, &StartWindow::onClick);
    connect(m_openButton, &QPushButton::clicked, this, &StartWindow::onClick);

    reloadRecentList();
}

void StartWindow::onThemeChanged(ThemeLoader* loader)
{
    // Setting a sheet again unchanged would restyle what it covers for nothing.
    const QString sheet = loader->load(QStringLiteral("start_window"));
    if (styleSheet() != sheet)
        setStyleSheet(sheet);
    // The fixed 100-pixel button needs a narrower padding than the shared sheet's.
    const QString button =
        loader->load(QStringLiteral("primary_button")) + QStringLiteral("QPushButton { padding: 0 6px; }");
    if (m_newButton && m_newButton->styleSheet() != button)
        m_newButton->setStyleSheet(button);
}

void StartWindow::onClose()
{
    // The program ends with the start window unless a main window has taken over.
    if (!MainWindow::instance())
        QCoreApplication::quit();
}

QListWidget* StartWindow::recentList()
{
    // An empty list draws nothing under the empty label: it is made with its first row.
    if (!m_recentList) {
        m_recentList = new QListWidget(m_listArea);
        m_recentList->setSelectionMode(QAbstractItemView::NoSelection);
        m_recentList->setFocusPolicy(Qt::NoFocus);
        m_recentList->setStyleSheet(QStringLiteral("background-color:transparent;"));
        AnchorLayout::get(m_recentList)->fill(AnchorLayout::get(m_listArea))->setMargins(4);
        m_recentList->stackUnder(m_emptyLabel);
        m_recentList->show();
    }
    return m_recentList;
}

void StartWindow::reloadRecentList()
{
    const QStringList paths = ProjectManager::instance()->recentList();
    if (!paths.isEmpty())
        recentList();
    for (const QString& path : paths) {
        const QFileInfo info(path);
        auto* row = new StartRecentListItem(info.completeBaseName(), info.path(), m_recentList->viewport());
        // The row may cut the name and folder; the whole path is a pointer rest away.
        row->clickArea()->setToolTip(plainToolTip(QDir::toNativeSeparators(path)));
        auto* item = new QListWidgetItem(m_recentList);
        item->setSizeHint(QSize(0, 60));
        item->setFlags(item->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled));
        m_recentList->setItemWidget(item, row);
        connect(row->clickArea(), &BaseWidget::clicked, this, [this, path] {
            Logger::debug("StartWindow", "recent item clicked, path:%s", path.toUtf8().constData());
            openProject(path);
        });
        QPointer<StartWindow> self(this);
        row->removeHandler = [self, path, item, row] {
            if (!self || !ProjectManager::instance()->removeRecentListItem(path))
                return;
            QListWidget* list = self->m_recentList;
            // The row's own menu is still delivering this call: the row goes once it returns.
            list->removeItemWidget(item);
            delete list->takeItem(list->row(item));
            row->deleteLater();
            self->m_emptyLabel->setVisible(list->count() == 0);
        };
        if (!pathExists(path))
            row->nameLabel()->setEnabled(false);
    }
    m_emptyLabel->setVisible(!m_recentList || m_recentList->count() == 0);
}

void StartWindow::onClick()
{
    QObject* button = sender();
    if (button == m_newButton) {
        onClickBtnNew();
    } else if (button == m_openButton) {
        const QString filter =
            QStringLiteral("OrvelMate Project (*%1)").arg(QLatin1String(ProjectManager::kProjectExtension));
        const QString path =
            FileDialog::getOpenFileName(this, tr("Choose Project File"), AppDirs::projectDir(), filter);
        if (!path.isEmpty())
            openProject(path);
    }
}

void StartWindow::onClickBtnNew()
{
    auto* window = new NewProjectWindow(nullptr);
    window->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<StartWindow> self(this);
    QPointer<NewProjectWindow> created(window);
    window->createdHandler = [self, created] {
        if (created)
            created->close();
        if (self)
            openMainWindow(self);
    };
    window->show();
}

bool StartWindow::openProject(const QString& path)
{
    const BaseResult<void> result = ProjectManager::instance()->openProject(path);
    if (!result.isOk()) {
        MessageDialog::error(formatErrorDetails(result), true);
        return false;
    }
    openMainWindow(this);
    return true;
}

void StartWindow::openMainWindow(QWidget* from)
{
    auto* window = new MainWindow(nullptr);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    if (from)
        from->close();
}

} // namespace OV
