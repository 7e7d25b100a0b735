#include "store/StoreWindow.h"

#include "core/ThemeLoader.h"
#include "store/StorePluginPanel.h"
#include "store/StoreUtils.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace OV {

namespace {
StoreWindow* g_instance = nullptr;
int g_liveWindows = 0;
} // namespace

StoreWindow::StoreWindow(QWidget* parent) : BaseWindow(parent)
{
    g_instance = this;
    ++g_liveWindows;
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setTitle(tr("App and Plugin Store"));

    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("storeWindowContent"));
    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(buildCategoryBar(content));
    auto* divider = new QWidget(content);
    divider->setObjectName(QStringLiteral("divider"));
    divider->setFixedWidth(2);
    row->addWidget(divider);
    auto* host = new QWidget(content);
    m_contentLayout = new QVBoxLayout(host);
    m_contentLayout->setContentsMargins(0, 0, 0, 0);
    row->addWidget(host, 1);
    setContentWidget(content);
    showCategoryContent();
}

StoreWindow::~StoreWindow()
{
    if (g_instance == this)
        g_instance = nullptr;
    // The icon loader is shared by every store window alive.
    if (--g_liveWindows == 0)
        StoreUtils::releaseIconLoader();
}

StoreWindow* StoreWindow::instance()
{
    return g_instance;
}

QWidget* StoreWindow::buildCategoryBar(QWidget* parent)
{
    auto* bar = new QWidget(parent);
    bar->setObjectName(QStringLiteral("storeCategoryBar"));
    bar->setFixedWidth(120);
    auto* column = new QVBoxLayout(bar);
    column->setContentsMargins(4, 10, 4, 10);
    column->setSpacing(0);
    auto* group = new QButtonGroup(bar);
    group->setExclusive(true);
    const std::pair<QString, QString> categories[] = {{tr("Plugin"), QStringLiteral("plugin")}};
    for (const auto& [text, key] : categories) {
        auto* button = new QPushButton(text, bar);
        button->setCheckable(true);
        button->setFixedHeight(40);
        button->setObjectName(QStringLiteral("baseCheckButton"));
        button->setProperty("category", key);
        group->addButton(button);
        column->addWidget(button);
        if (group->buttons().size() == 1) {
            button->setChecked(true);
            m_currentCategory = key;
        }
        connect(button, &QPushButton::toggled, this, [this, button](bool checked) {
            if (checked)
                m_currentCategory = button->property("category").toString();
        });
    }
    column->addStretch(1);
    return bar;
}

void StoreWindow::showCategoryContent()
{
    while (QLayoutItem* item = m_contentLayout->takeAt(0)) {
        if (item->widget())
            item->widget()->hide();
        delete item;
    }
    if (m_currentCategory == QLatin1String("plugin")) {
        if (!m_pluginPanel)
            m_pluginPanel = new StorePluginPanel(this);
        m_contentLayout->addWidget(m_pluginPanel);
        m_pluginPanel->show();
    }
}

void StoreWindow::onThemeChanged(ThemeLoader* loader)
{
    setStyleSheet(loader->load(QStringLiteral("store_window")));
}

void StoreWindow::showEvent(QShowEvent* event)
{
    BaseWindow::showEvent(event);
    showMaximized();
}

} // namespace OV
