#include "scene/SceneActionPicker.h"

#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "scene/BaseLoadedTreeView.h"
#include "scene/LoadedTreeItem.h"
#include "scene/LoadedTreeLoaders.h"
#include "scene/LoadedTreeModel.h"
#include "scene/SceneActionConfigPanel.h"
#include "scene/SceneActionRecord.h"
#include "scene/ScenePickerButtonBar.h"
#include "store/StoreUtils.h"
#include "widgets/SharedWindow.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

#include <exception>

namespace OV {

namespace {

QFrame* divider(QWidget* parent, bool horizontal)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QStringLiteral("divider"));
    line->setFrameShape(QFrame::NoFrame);
    if (horizontal)
        line->setFixedHeight(2);
    else
        line->setFixedWidth(2);
    line->setProperty("vertical", !horizontal);
    return line;
}

} // namespace

std::shared_ptr<SceneActionPicker> SceneActionPicker::instance()
{
    return sharedWindow<SceneActionPicker>();
}

SceneActionPicker::SceneActionPicker(QWidget* parent) : BaseWindow(parent)
{
    hideMinimizeButton();
    setFixedWindowSize(1000, 700);
    setWindowModality(Qt::ApplicationModal);
    setTitle(tr("Action Configuration"));

    auto* content = new QWidget(this);
    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    auto* left = new QWidget(content);
    left->setFixedWidth(250);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    m_model = new LoadedTreeModel(this);
    m_model->setLoader(makeSceneActionTreeLoader(this));
    m_view = new BaseLoadedTreeView(left);
    m_view->setLoadedModel(m_model);
    leftLayout->addWidget(wrapInContainer(left, m_view, 10, 10, 10, 10), 1);
    leftLayout->addWidget(divider(left, true));
    auto* reloadBar = new QWidget(left);
    reloadBar->setFixedHeight(50);
    auto* reloadLayout = new QHBoxLayout(reloadBar);
    reloadLayout->setContentsMargins(10, 0, 10, 0);
    m_reloadButton = new QPushButton(reloadBar);
    m_reloadButton->setFixedSize(32, 32);
    m_reloadButton->setIcon(QIcon(QStringLiteral(":/image/icon_refresh_48x48.png")));
    m_reloadButton->setIconSize(QSize(16, 16));
    m_reloadButton->setToolTip(tr("Reload"));
    reloadLayout->addWidget(m_reloadButton);
    reloadLayout->addStretch();
    leftLayout->addWidget(reloadBar);
    row->addWidget(left);

    row->addWidget(divider(content, false));

    auto* right = new QWidget(content);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    m_contentHost = new QWidget(right);
    rightLayout->addWidget(m_contentHost, 1);
    rightLayout->addWidget(divider(right, true));
    auto* buttonBar = new ScenePickerButtonBar(tr("Add"), right);
    m_addButton = buttonBar->primaryButton();
    m_cancelButton = buttonBar->cancelButton();
    rightLayout->addWidget(buttonBar);
    row->addWidget(right, 1);
    setContentWidget(content);

    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList selected = m_view->selectionModel()->selectedIndexes();
        if (selected.isEmpty())
            return;
        try {
            if (LoadedTreeItem* item = m_model->loadedItem(selected.first()))
                onItemSelected(item);
        } catch (const std::exception& e) {
            Logger::debug(kTag, "selectionChanged error:%s", e.what());
        }
    });
    connect(m_reloadButton, &QPushButton::clicked, this, &SceneActionPicker::reload);
    connect(m_cancelButton, &QPushButton::clicked, this, &QWidget::hide);
    connect(m_addButton, &QPushButton::clicked, this, &SceneActionPicker::onClickAdd);

    m_view->restartFromRoot();
}

void SceneActionPicker::reload()
{
    // The selection model outlives clear(); the panel of the old tree stays until a new pick.
    m_view->restartFromRoot();
}

void SceneActionPicker::onItemSelected(LoadedTreeItem* item)
{
    SceneActionConfigPanel* panel = nullptr;
    try {
        panel = new SceneActionConfigPanel(item->node(), m_contentHost);
    } catch (const std::exception& e) {
        Logger::error(kTag, "new SceneActionConfigPanel error:%s", e.what());
        panel = nullptr;
    }
    if (QLayout* old = m_contentHost->layout()) {
        while (QLayoutItem* entry = old->takeAt(0)) {
            if (QWidget* widget = entry->widget()) {
                widget->setParent(nullptr);
                // The previous panel is no longer shown; nobody else holds it.
                widget->deleteLater();
            }
            delete entry;
        }
        delete old;
    }
    m_panel = panel;
    if (panel) {
        auto* stack = new QStackedLayout(m_contentHost);
        stack->setContentsMargins(0, 0, 0, 0);
        stack->setSpacing(0);
        stack->setStackingMode(QStackedLayout::StackAll);
        stack->addWidget(panel);
        panel->show();
    }
}

void SceneActionPicker::onClickAdd()
{
    if (!m_panel)
        return;
    try {
        const nlohmann::json record = m_panel->buildActionJson();
        if (SceneActionRecord::isEmpty(record))
            return;
        if (onActionSelected)
            onActionSelected(record);
        hide();
    } catch (const std::exception& e) {
        Logger::error(kTag, "Save error:%s", e.what());
    }
}

void SceneActionPicker::onThemeChanged(ThemeLoader* loader)
{
    setStyleSheet(loader->load(QStringLiteral("scene_action_picker")));
    m_addButton->setStyleSheet(loader->load(QStringLiteral("primary_button")));
}

void SceneActionPicker::showEvent(QShowEvent* event)
{
    if (m_panel)
        m_panel->reset();
    BaseWindow::showEvent(event);
}

} // namespace OV
