#include "module/PelloraLayerItemWidget.h"

#include "core/ThemeLoader.h"

#include <QContextMenuEvent>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

namespace OV {

PelloraLayerItemWidget::PelloraLayerItemWidget(int layerId, const QString& name, bool isDefault, QWidget* parent)
    : BaseWidget(parent)
{
    setObjectName(QStringLiteral("listItem"));
    setProperty("layerId", layerId);
    setFixedHeight(43);
    setToolTip(QStringLiteral("ID: %1").arg(layerId));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* area = new QWidget(this);
    area->setFixedHeight(42);
    auto* row = new QHBoxLayout(area);
    row->setContentsMargins(12, 0, 12, 0);
    m_nameLabel = new QLabel(name, area);
    m_nameLabel->setTextFormat(Qt::PlainText);
    m_star = new QLabel(area);
    m_star->setFixedSize(16, 16);
    m_star->setGraphicsEffect(new QGraphicsOpacityEffect(m_star));
    row->addWidget(m_nameLabel, 1);
    row->addWidget(m_star);
    layout->addWidget(area);
    auto* divider = new QWidget(this);
    divider->setObjectName(QStringLiteral("listDivider"));
    divider->setAttribute(Qt::WA_StyledBackground);
    divider->setFixedHeight(1);
    layout->addWidget(divider);
    setStarShown(isDefault);
    updateStarOpacity();
}

QString PelloraLayerItemWidget::name() const
{
    return m_nameLabel->text();
}

void PelloraLayerItemWidget::setName(const QString& name)
{
    m_nameLabel->setText(name);
}

void PelloraLayerItemWidget::setStarShown(bool shown)
{
    m_starShown = shown;
    if (shown)
        m_star->setPixmap(QPixmap(QStringLiteral(":/image/icon_star.png"))
                              .scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    else
        m_star->clear();
}

void PelloraLayerItemWidget::updateStarOpacity()
{
    if (auto* effect = qobject_cast<QGraphicsOpacityEffect*>(m_star->graphicsEffect()))
        effect->setOpacity(isEnabled() ? 1.0 : 0.4);
}

void PelloraLayerItemWidget::changeEvent(QEvent* event)
{
    BaseWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        updateStarOpacity();
}

void PelloraLayerItemWidget::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("base")));
    QAction* rename = menu.addAction(tr("Rename"));
    menu.addSeparator();
    QAction* setDefault = menu.addAction(tr("Set as Default"));
    menu.addSeparator();
    QAction* remove = menu.addAction(tr("Delete"));
    QAction* chosen = menu.exec(event->globalPos());
    if (!chosen || !menuCallback)
        return;
    if (chosen == rename)
        menuCallback(Rename);
    else if (chosen == setDefault)
        menuCallback(SetDefault);
    else if (chosen == remove)
        menuCallback(Delete);
}

} // namespace OV
