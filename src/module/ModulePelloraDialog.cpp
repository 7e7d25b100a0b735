#include "module/ModulePelloraDialog.h"

#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "module/ModulePelloraLayer.h"
#include "module/ModulePelloraNetwork.h"
#include "module/PelloraDeployData.h"
#include "module/PelloraImageEditor.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"

#include <QButtonGroup>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

namespace OV {

namespace {

constexpr const char* kTag = "ModulePelloraDialog";

} // namespace

ModulePelloraDialog::ModulePelloraDialog(qint64 moduleRecordId, QWidget* parent) : BaseWindow(parent)
{
    const BaseResult<std::shared_ptr<ProjectDbModuleBean>> loaded =
        ProjectManager::instance()->getModuleUseCase()->accessor->findById(moduleRecordId);
    if (!loaded.isOk())
        throw std::runtime_error(formatResultMessage(loaded).toStdString());
    if (!loaded.data || !*loaded.data)
        throw std::runtime_error(formatResultMessage(Errors::RecordNotExists, {}).toStdString());
    m_bean = *loaded.data;

    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setTitle(tr("Pellora"));
    hideMinimizeButton();
    QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    const int w = int(0.6 * area.width());
    const int h = int(std::min<double>(area.height(), 0.7 * w));
    setFixedWindowSize(int(0.9 * w), int(0.9 * h));

    auto* content = new QWidget(this);
    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto* column = new QWidget(content);
    column->setFixedWidth(200);
    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(8, 10, 8, 10);
    columnLayout->setSpacing(6);
    m_tabs = new QButtonGroup(this);
    m_tabs->setExclusive(true);
    const QStringList names{tr("Network"), tr("Layer and Widget")};
    for (int i = 0; i < names.size(); ++i) {
        auto* button = new QPushButton(names[i], column);
        button->setObjectName(QStringLiteral("baseCheckButton"));
        button->setCheckable(true);
        button->setFixedHeight(40);
        m_tabs->addButton(button, i);
        columnLayout->addWidget(button);
    }
    columnLayout->addStretch();
    row->addWidget(column);
    auto* separator = new QWidget(content);
    separator->setObjectName(QStringLiteral("windowTitleBarSeparator"));
    separator->setAttribute(Qt::WA_StyledBackground);
    separator->setFixedWidth(2);
    // The shared rule is drawn horizontally; this one stands upright.
    separator->setStyleSheet(
        QStringLiteral("QWidget#windowTitleBarSeparator { min-height: 0px; max-height: 16777215px; }"));
    row->addWidget(separator);
    m_stack = new QStackedWidget(content);
    m_stack->setObjectName(QStringLiteral("panel2"));
    row->addWidget(m_stack, 1);
    setContentWidget(content);

    connect(m_tabs, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            onTapSelected(id);
    });
    m_tabs->button(0)->setChecked(true);
}

void ModulePelloraDialog::onTapSelected(int index)
{
    Logger::debug(kTag, "onTapSelected:%d", index);
    if (index == 0) {
        if (!m_network) {
            m_network = new ModulePelloraNetwork(m_bean.get(), m_stack);
            m_stack->addWidget(m_network);
        }
        m_stack->setCurrentWidget(m_network);
    } else if (index == 1) {
        if (!m_layer) {
            m_layer = new ModulePelloraLayer(m_bean.get(), m_stack);
            m_stack->addWidget(m_layer);
        }
        m_stack->setCurrentWidget(m_layer);
    }
    if (m_tabs->button(index) && !m_tabs->button(index)->isChecked())
        m_tabs->button(index)->setChecked(true);
}

void ModulePelloraDialog::onThemeChanged(ThemeLoader* loader)
{
    setStyleSheet(loader->load(QStringLiteral("module_pellora_dialog")));
}

void ModulePelloraDialog::onClose()
{
    PelloraImageEditor::releaseSharedPicker();
    BaseWindow::onClose();
}

} // namespace OV
