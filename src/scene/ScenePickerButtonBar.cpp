#include "scene/ScenePickerButtonBar.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace OV {

ScenePickerButtonBar::ScenePickerButtonBar(const QString& primaryText, QWidget* parent) : QWidget(parent)
{
    setFixedHeight(50);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 16, 0);
    layout->setSpacing(10);
    layout->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_primary = new QPushButton(primaryText, this);
    m_primary->setObjectName(QStringLiteral("primaryButton"));
    m_primary->setMinimumSize(80, 28);
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setMinimumSize(80, 28);
    layout->addWidget(m_primary);
    layout->addWidget(m_cancel);
}

} // namespace OV
