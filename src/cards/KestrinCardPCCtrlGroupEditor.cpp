#include "cards/KestrinCardPCCtrlGroupEditor.h"

#include "cards/KestrinCard.h"
#include "cards/KestrinCardIconEditor.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "widgets/EditStateWatcher.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace OV {

KestrinCardPCCtrlGroupEditor::KestrinCardPCCtrlGroupEditor(KestrinCard* card, const QString& iconText,
                                                           const QPixmap& image, int scale)
    : KestrinCardEditor(card, tr("Shortcut Group"), "KestrinCardPCCtrlGroupEditor"), m_name(new QLineEdit)
{
    auto* frame = new QWidget(contentWidget());
    frame->setFixedHeight(300);
    frame->setMinimumWidth(600);
    frame->setMaximumWidth(700);
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(0, 0, 0, 0);
    m_name->setFixedSize(300, 32);
    m_name->setMaxLength(32);
    m_icon = new KestrinCardIconEditor(frame, watcher());
    m_icon->setIcon(iconText, image, scale);
    addFrameRow(frame, column, tr("Name"), m_name);
    addFrameRow(frame, column, tr("Icon"), m_icon);
    column->addStretch(1);
    form()->addWidget(frame);
    reload();
    watcher()->watch(m_name);
}

void KestrinCardPCCtrlGroupEditor::load()
{
    m_name->setText(card()->bean()->name);
}

void KestrinCardPCCtrlGroupEditor::onSaveEdit(BaseResultCallback<void> resultCallback)
{
    if (saveDelegate)
        saveDelegate(std::move(resultCallback), m_name->text().trimmed(), m_icon->iconText(), m_icon->image(),
                     m_icon->scale());
}

} // namespace OV
