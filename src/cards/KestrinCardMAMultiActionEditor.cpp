#include "cards/KestrinCardMAMultiActionEditor.h"

#include "cards/KestrinCard.h"
#include "cards/KestrinCardIconEditor.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "scene/SceneActionListWidget.h"
#include "widgets/EditStateWatcher.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace OV {

KestrinCardMAMultiActionEditor::KestrinCardMAMultiActionEditor(KestrinCard* card, const QString& iconText,
                                                               const QPixmap& image, int scale)
    : KestrinCardEditor(card, tr("Multi-Action"), "KestrinCardMAMultiActionEditor"), m_name(new QLineEdit)
{
    auto* grid = new QWidget(contentWidget());
    auto* layout = new QGridLayout(grid);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setVerticalSpacing(16);
    m_name->setFixedSize(300, 32);
    m_name->setMaxLength(32);
    m_icon = new KestrinCardIconEditor(grid, watcher());
    m_icon->setIcon(iconText, image, scale);
    m_actions = new SceneActionListWidget(grid, watcher());
    const QString labels[] = {tr("Name"), tr("Icon"), tr("Action List")};
    QWidget* inputs[] = {m_name, m_icon, m_actions};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(labels[i], grid);
        label->setMinimumWidth(50);
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
        layout->addWidget(label, i, 0);
        layout->addWidget(inputs[i], i, 1, i == 0 ? Qt::AlignLeft : Qt::Alignment());
    }
    layout->setRowStretch(2, 1);
    form()->addWidget(grid, 1);
    form()->setAlignment(Qt::Alignment());
    reload();
    watcher()->watch(m_name);
}

void KestrinCardMAMultiActionEditor::load()
{
    m_name->setText(card()->bean()->name);
    const nlohmann::json& config = card()->configuration();
    m_actions->setActions(config.contains("actionList") ? config.at("actionList") : nlohmann::json::array());
    m_actions->updateActionList();
}

void KestrinCardMAMultiActionEditor::onSaveEdit(BaseResultCallback<void> resultCallback)
{
    if (saveDelegate)
        saveDelegate(std::move(resultCallback), m_name->text().trimmed(), m_icon->iconText(), m_icon->image(),
                     m_icon->scale(), m_actions->actions());
}

} // namespace OV
