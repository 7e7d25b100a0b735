#include "cards/KestrinCardPCCtrlEditor.h"

#include "cards/KestrinCard.h"
#include "cards/KestrinCardIconEditor.h"
#include "cards/KestrinCardPCCtrl.h"
#include "core/Logger.h"
#include "os/OSController.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "scene/SceneActionExPanel.h"
#include "scene/SceneOSCtrlConfig.h"
#include "scene/SceneOSCtrlStartApp.h"
#include "store/StoreUtils.h"
#include "widgets/EditStateWatcher.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>

#include <memory>

namespace OV {

KestrinCardPCCtrlEditor::KestrinCardPCCtrlEditor(KestrinCard* card, const QString& editKind, const QString& iconText,
                                                 const QPixmap& image, int scale)
    : KestrinCardEditor(card, pcControlTypeLabel(editKind.toStdString()), "KestrinCardPCCtrlEditor"),
      m_editKind(editKind), m_name(new QLineEdit)
{
    auto* frame = new QWidget(contentWidget());
    frame->setFixedHeight(editKind == QLatin1String("inputText") ? 500
                          : editKind == QLatin1String("hotKey")  ? 400
                                                                 : 300);
    frame->setMinimumWidth(600);
    frame->setMaximumWidth(700);
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_name->setFixedSize(300, 32);
    m_name->setMaxLength(32);
    addFrameRow(frame, column, tr("Name"), m_name);
    m_icon = new KestrinCardIconEditor(frame, watcher());
    m_icon->setIcon(iconText, image, scale);
    addFrameRow(frame, column, tr("Icon"), m_icon);
    column->addSpacing(20);
    m_page = KestrinCardPCCtrl::makeEditPage(editKind, frame);
    m_page->setEditStateWatcher(watcher());
    column->addWidget(m_page, 1);
    if (auto* startApp = qobject_cast<SceneOSCtrlStartApp*>(m_page)) {
        const QPointer<KestrinCardPCCtrlEditor> self(this);
        startApp->onPathChosen = [self](const QString& path) {
            if (self)
                self->takeApplication(path);
        };
    }
    form()->addWidget(frame);
    reload();
    watcher()->watch(m_name);
}

void KestrinCardPCCtrlEditor::takeApplication(const QString& path)
{
    try {
        // The controller is the process's own: not ours to delete.
        OSController* controller = OSController::instance();
        m_icon->setIcon(QStringLiteral("file://"), trimTransparentEdges(controller->getFileIcon(path, true), 2), 50);
    } catch (const std::exception& e) {
        Logger::error(m_tag, "file icon error:%s", e.what());
    }
    watcher()->markDirty();
    m_name->setText(QFileInfo(path).completeBaseName());
}

void KestrinCardPCCtrlEditor::load()
{
    m_name->setText(card()->bean()->name);
    const nlohmann::json& param = card()->configuration().at("deploymentData").at("param");
    m_page->bindData(m_editKind == QLatin1String("hotKey") ? param : param.at("payload").at("params"));
}

void KestrinCardPCCtrlEditor::onSaveEdit(BaseResultCallback<void> resultCallback)
{
    if (saveDelegate)
        saveDelegate(std::move(resultCallback), m_name->text().trimmed(), m_icon->iconText(), m_icon->image(),
                     m_icon->scale(), m_page->buildActionJson(false));
}

} // namespace OV
