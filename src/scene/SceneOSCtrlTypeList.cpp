#include "scene/SceneOSCtrlTypeList.h"

#include "scene/SceneOSCtrlConfig.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QVBoxLayout>

namespace OV {

SceneOSCtrlTypeList::SceneOSCtrlTypeList(QWidget* parent, SceneOSCtrlConfig* config) : QWidget(parent), m_config(config)
{
    setFixedWidth(160);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    for (const char* typeId : SceneOSCtrlConfig::kTypeIds) {
        auto* button = new QPushButton(pcControlTypeLabel(typeId), this);
        button->setObjectName(QStringLiteral("baseCheckButton2"));
        button->setStyleSheet(QStringLiteral("QPushButton {text-align: left; padding-left: 16px;}"));
        button->setFixedHeight(40);
        button->setCheckable(true);
        button->setProperty("type", QString::fromLatin1(typeId));
        m_group->addButton(button);
        layout->addWidget(button);
    }
    layout->addStretch();
    m_group->buttons().first()->setChecked(true);
    m_currentType = m_group->buttons().first()->property("type").toString();
    connect(m_group, &QButtonGroup::buttonToggled, this, [this](QAbstractButton* button, bool checked) {
        if (!checked || !onTypeChanged)
            return;
        m_currentType = button->property("type").toString();
        onTypeChanged(m_currentType);
    });
}

QPushButton* SceneOSCtrlTypeList::buttonFor(const QString& typeId) const
{
    for (QAbstractButton* button : m_group->buttons()) {
        if (button->property("type").toString() == typeId)
            return qobject_cast<QPushButton*>(button);
    }
    return nullptr;
}

} // namespace OV
