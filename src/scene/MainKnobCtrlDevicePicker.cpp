#include "scene/MainKnobCtrlDevicePicker.h"

#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "scene/BaseLoadedTreeView.h"
#include "scene/LoadedTreeItem.h"
#include "scene/LoadedTreeLoaders.h"
#include "scene/LoadedTreeModel.h"
#include "scene/ScenePickerButtonBar.h"
#include "widgets/SharedWindow.h"

#include <QFrame>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace OV {

std::shared_ptr<MainKnobCtrlDevicePicker> MainKnobCtrlDevicePicker::instance()
{
    return sharedWindow<MainKnobCtrlDevicePicker>();
}

MainKnobCtrlDevicePicker::MainKnobCtrlDevicePicker(QWidget* parent) : BaseWindow(parent)
{
    setFixedWindowSize(400, 600);
    setWindowModality(Qt::ApplicationModal);
    setTitle(tr("Device Choose"));
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_model = new LoadedTreeModel(this);
    m_model->setLoader(makeKnobCtrlDeviceTreeLoader(this));
    m_view = new BaseLoadedTreeView(content);
    m_view->setLoadedModel(m_model);
    layout->addWidget(m_view, 1);
    auto* divider = new QFrame(content);
    divider->setObjectName(QStringLiteral("divider"));
    divider->setFixedHeight(2);
    layout->addWidget(divider);
    auto* bar = new ScenePickerButtonBar(tr("Choose"), content);
    m_chooseButton = bar->primaryButton();
    m_chooseButton->setEnabled(false);
    m_cancelButton = bar->cancelButton();
    layout->addWidget(bar);
    setContentWidget(content);

    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        try {
            const QModelIndexList selected = m_view->selectionModel()->selectedIndexes();
            LoadedTreeItem* item = selected.isEmpty() ? nullptr : m_model->loadedItem(selected.first());
            if (!item)
                return;
            m_selectedItem = item;
            m_selectedAlive = item->liveness();
            m_chooseButton->setEnabled(true);
        } catch (const std::exception& e) {
            Logger::debug(kTag, "selectionChanged error:%s", e.what());
        }
    });
    connect(m_chooseButton, &QPushButton::clicked, this, &MainKnobCtrlDevicePicker::onClickAdd);
    connect(m_cancelButton, &QPushButton::clicked, this, &QWidget::hide);
    m_view->restartFromRoot();
}

LoadedTreeItem* MainKnobCtrlDevicePicker::selectedItem() const
{
    // The item may have gone with a reload of its group.
    const auto alive = m_selectedAlive.lock();
    return alive && *alive ? m_selectedItem : nullptr;
}

void MainKnobCtrlDevicePicker::onClickAdd()
{
    LoadedTreeItem* selected = selectedItem();
    if (!selected) {
        Logger::error(kTag, "onClickAdd(), unknown error: selectedItem_ is null");
        return;
    }
    try {
        if (onDeviceChosen)
            onDeviceChosen(selected->node());
    } catch (const std::exception& e) {
        Logger::error(kTag, "onClickAdd(), error:%s", e.what());
    }
}

void MainKnobCtrlDevicePicker::onThemeChanged(ThemeLoader* loader)
{
    setStyleSheet(loader->load(QStringLiteral("scene_action_picker")));
    m_chooseButton->setStyleSheet(loader->load(QStringLiteral("primary_button")));
}

void MainKnobCtrlDevicePicker::showEvent(QShowEvent* event)
{
    m_view->clearSelection();
    m_selectedItem = nullptr;
    m_chooseButton->setEnabled(false);
    BaseWindow::showEvent(event);
}

} // namespace OV
