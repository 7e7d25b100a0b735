#include "module/ModuleEventPanel.h"

#include "widgets/EditStateWatcher.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <stdexcept>

namespace OV {

ModuleEventPanel::ModuleEventPanel(QWidget* parent, EditStateWatcher* watcher) : QWidget(parent), m_watcher(watcher)
{
    if (!watcher)
        throw std::invalid_argument("editStateWatcher is null");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* titleBar = new QWidget(this);
    titleBar->setObjectName(QStringLiteral("configPanelTitleBar2"));
    titleBar->setAttribute(Qt::WA_StyledBackground);
    titleBar->setFixedHeight(34);
    auto* titleLayout = new QHBoxLayout(titleBar);
    titleLayout->setContentsMargins(10, 0, 10, 0);
    m_titleLabel = new QLabel(QStringLiteral("title"), titleBar);
    m_titleLabel->setTextFormat(Qt::PlainText);
    m_titleLabel->setObjectName(QStringLiteral("configPanelTitle2"));
    m_titleLabel->setMinimumWidth(100);
    titleLayout->addWidget(m_titleLabel);
    titleLayout->addStretch();
    m_enabledBox = new QCheckBox(tr("Enabled"), titleBar);
    m_enabledBox->setFixedSize(80, 30);
    m_enabledBox->setStyleSheet(QStringLiteral("qproperty-layoutDirection: RightToLeft;"));
    m_enabledBox->setChecked(true);
    titleLayout->addWidget(m_enabledBox);
    layout->addWidget(titleBar);
    auto* divider = new QWidget(this);
    divider->setObjectName(QStringLiteral("configPanelDivider"));
    divider->setAttribute(Qt::WA_StyledBackground);
    divider->setFixedHeight(2);
    layout->addWidget(divider);
    auto* content = new QWidget(this);
    m_contentLayout = new QVBoxLayout(content);
    m_contentLayout->setContentsMargins(0, 0, 0, 0);
    m_contentLayout->setSpacing(0);
    layout->addWidget(content, 1);
}

void ModuleEventPanel::detachEvent()
{
    saveCurrentEvent();
    forgetEvent();
}

bool ModuleEventPanel::enabledOf(const nlohmann::json& e)
{
    const auto found = e.is_object() ? e.find("enabled") : e.end();
    return !e.is_object() || found == e.end() || !found->is_boolean() || found->get<bool>();
}

void ModuleEventPanel::markChanged()
{
    m_watcher->markDirty();
}

} // namespace OV
