#include "main/MainKestrinDialog.h"

#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "project/ProjectDbHostBean.h"
#include "project/ProjectHostUseCase.h"
#include "project/ProjectManager.h"
#include "store/StoreUtils.h"
#include "widgets/BaseWidgetSelectGroup.h"
#include "widgets/BusyIndicator.h"
#include "widgets/MessageDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace OV {

namespace {

constexpr const char* kTag = "MainKestrinDialog";

std::optional<KestrinSearchOptions>& searchOptionsOverride()
{
    static std::optional<KestrinSearchOptions> options;
    return options;
}

} // namespace

void MainKestrinDialog::setSearchOptions(std::optional<KestrinSearchOptions> options)
{
    searchOptionsOverride() = std::move(options);
}

MainKestrinDialog::MainKestrinDialog(bool hasHost) : BaseWindow(nullptr)
{
    hideMinimizeButton();
    hideMaximizeButton();
    setTitle(tr("Search Kestrin"));
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);

    if (searchOptionsOverride())
        m_searcher = new KestrinSearcher(*searchOptionsOverride(), this);
    else
        m_searcher = new KestrinSearcher(this);
    m_searcher->onFound = [this](const KestrinSearchResult& result) { addFound(result); };

    m_rowGroup = new BaseWidgetSelectGroup(this);
    connect(m_rowGroup, &BaseWidgetSelectGroup::checkedChanged, this, &MainKestrinDialog::onSelected);

    auto* titleArea = new QWidget;
    auto* titleLayout = new QHBoxLayout(titleArea);
    titleLayout->setContentsMargins(20, 0, 20, 0);
    titleLayout->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* busy = new BusyIndicator(titleArea);
    busy->setObjectName(QStringLiteral("coreBusy"));
    busy->setFixedSize(18, 18);
    busy->setColor(Qt::white);
    busy->setAngleStep(5);
    titleLayout->addWidget(busy);
    setTitleBarWidget(titleArea);

    auto* content = new QWidget;
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(10, 10, 10, 10);
    contentLayout->setSpacing(10);
    m_list = new QListWidget(content);
    m_list->setObjectName(QStringLiteral("kestrinList"));
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setStyleSheet(QStringLiteral("background-color:transparent;"));
    contentLayout->addWidget(m_list, 1);

    auto* buttonRow = new QWidget(content);
    auto* buttonLayout = new QHBoxLayout(buttonRow);
    buttonLayout->setContentsMargins(0, 0, 0, 0);
    m_manualButton = new QPushButton(tr("Manual"), buttonRow);
    m_manualButton->setMinimumSize(80, 28);
    m_manualButton->hide();
    m_confirmButton = new QPushButton(hasHost ? tr("Select") : tr("Add"), buttonRow);
    m_confirmButton->setMinimumSize(80, 28);
    m_confirmButton->setEnabled(false);
    buttonLayout->addWidget(m_manualButton, 0, Qt::AlignLeft | Qt::AlignVCenter);
    buttonLayout->addWidget(m_confirmButton, 0, Qt::AlignRight | Qt::AlignVCenter);
    contentLayout->addWidget(buttonRow, 0);
    setContentWidget(content);

    setFixedWindowSize(500, 300);
    moveToCenter();

    auto* headerItem = new QListWidgetItem(m_list);
    headerItem->setFlags(headerItem->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled));
    headerItem->setSizeHint(QSize(0, 30));
    m_list->setItemWidget(headerItem, createRow(true, tr("IP"), tr("SN")));

    connect(m_confirmButton, &QPushButton::clicked, this, &MainKestrinDialog::onPairSucceed);
}

void MainKestrinDialog::onThemeChanged(ThemeLoader* loader)
{
    setStyleSheet(loader->load(QStringLiteral("home_kestrin_dialog")));
}

void MainKestrinDialog::showEvent(QShowEvent* event)
{
    m_searcher->start();
    BaseWindow::showEvent(event);
}

void MainKestrinDialog::onClose()
{
    m_searcher->stop();
}

BaseWidget* MainKestrinDialog::createRow(bool header, const QString& first, const QString& second)
{
    auto* row = new BaseWidget(nullptr);
    if (header) {
        row->setObjectName(QStringLiteral("listHeader"));
        row->setSelectable(false);
    } else {
        row->setObjectName(QStringLiteral("listItem"));
        row->setSelectable(true);
        row->setToggleable(false);
        m_rowGroup->addWidget(row);
    }
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setAlignment(Qt::AlignLeft);
    // Hub names and addresses as the hubs announce them.
    auto* firstLabel = new QLabel(first, row);
    firstLabel->setTextFormat(Qt::PlainText);
    firstLabel->setFixedWidth(150);
    firstLabel->setAlignment(Qt::AlignCenter);
    auto* divider = new QWidget(row);
    divider->setObjectName(QStringLiteral("columnDivider"));
    divider->setFixedWidth(1);
    divider->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    auto* secondLabel = new QLabel(second, row);
    secondLabel->setTextFormat(Qt::PlainText);
    secondLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(firstLabel);
    layout->addWidget(divider);
    layout->addWidget(secondLabel, 1);
    row->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("home_kestrin_dialog")));
    return row;
}

void MainKestrinDialog::addFound(const KestrinSearchResult& result)
{
    BaseWidget* row = createRow(false, result.ip, result.sn);
    row->setProperty("data", QVariant::fromValue(result));
    auto* item = new QListWidgetItem(m_list);
    item->setSizeHint(QSize(0, 30));
    m_list->setItemWidget(item, row);
}

void MainKestrinDialog::onSelected(BaseWidget* row)
{
    if (!row)
        return;
    const KestrinSearchResult result = row->property("data").value<KestrinSearchResult>();
    m_confirmButton->setEnabled(true);
    Logger::debug(kTag, "selected, sn:%s, ip:%s, port:%d", result.sn.toUtf8().constData(),
                  result.ip.toUtf8().constData(), result.port);
}

void MainKestrinDialog::onPairSucceed()
{
    BaseWidget* row = m_rowGroup->checkedWidget();
    if (!row)
        return;
    try {
        const KestrinSearchResult result = row->property("data").value<KestrinSearchResult>();
        ProjectDbHostBean host;
        host.connType = QStringLiteral("tcp");
        host.sn = result.sn;
        host.ip = result.ip;
        host.port = result.port;
        const BaseResult<void> saved = ProjectManager::instance()->getHostUseCase()->saveHost(host);
        if (!saved.isOk()) {
            // Nothing changed: the dialog stays so the user can try again, and the session keeps
            // to the hub that is still stored.
            MessageDialog::error(tr("Save [Kestrin] failed: %1").arg(formatErrorDetails(saved)), true);
            return;
        }
    } catch (const std::exception& e) {
        Logger::error(kTag, "onPairSucceed error:%s", e.what());
        MessageDialog::error(tr("Save Kestrin failed: ") + QString::fromUtf8(e.what()), true);
        return;
    }
    if (savedHandler)
        savedHandler();
    close();
}

} // namespace OV
