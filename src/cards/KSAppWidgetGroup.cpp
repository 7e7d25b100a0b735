#include "cards/KSAppWidgetGroup.h"

#include "cards/KSAppWidgetItem.h"
#include "core/PngPicture.h"
#include "main/MainWindow.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileUseCase.h"
#include "widgets/ToastWidget.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPushButton>

namespace OV {

QWidget* KSAppWidgetGroup::createTitleExtWidget(QWidget* parent)
{
    m_titleExt = new QWidget(parent);
    auto* layout = new QHBoxLayout(m_titleExt);
    layout->setContentsMargins(0, 0, 0, 0);
    m_refreshButton = new QPushButton(m_titleExt);
    m_refreshButton->setObjectName(QStringLiteral("windowButton"));
    m_refreshButton->setFixedSize(30, 30);
    m_refreshButton->setIcon(PngPicture::icon(QStringLiteral(":/image/icon_refresh_48x48.png")));
    m_refreshButton->setIconSize(QSize(14, 14));
    m_refreshButton->setToolTip(QCoreApplication::translate("OV::KSAppWidgetGroup", "Refresh"));
    m_refreshButton->setVisible(isExpanded());
    layout->addWidget(m_refreshButton);
    std::weak_ptr<WidgetListGroupItem> weak = weak_from_this();
    QObject::connect(m_refreshButton, &QPushButton::clicked, m_refreshButton, [weak]() {
        if (const auto self = weak.lock())
            static_cast<KSAppWidgetGroup*>(self.get())->asyncLoadContentData();
    });
    return m_titleExt;
}

void KSAppWidgetGroup::onExpandedChanged(bool expanded)
{
    if (m_refreshButton)
        m_refreshButton->setVisible(expanded);
}

void KSAppWidgetGroup::asyncLoadContentData()
{
    if (!m_content)
        return;
    const auto hub = ProjectManager::instance()->getCurrentKestrin();
    if (!hub)
        return;
    if (m_refreshButton)
        m_refreshButton->setEnabled(false);
    std::weak_ptr<WidgetListGroupItem> weak = weak_from_this();
    QPointer<QWidget> titleExt = m_titleExt;
    ProjectProfileUseCase::getKsWidgetAppList(hub, [weak, titleExt](const BaseResult<nlohmann::json>& result) {
        const auto self = std::static_pointer_cast<KSAppWidgetGroup>(weak.lock());
        // Answers for a group that was rebuilt or whose widgets are gone are dropped.
        if (!self || !titleExt)
            return;
        if (self->m_refreshButton)
            self->m_refreshButton->setEnabled(true);
        if (!result.isOk()) {
            ToastWidget::showError(MainWindow::instance(),
                                   QCoreApplication::translate("OV::KSAppWidgetGroup", "get app list failed"), true,
                                   1500);
            return;
        }
        if (result.data && result.data->is_array()) {
            self->m_appList = *result.data;
            self->onDataLoaded();
        }
    });
}

void KSAppWidgetGroup::onDataLoaded()
{
    if (!m_content)
        return;
    std::vector<SimpleWidgetListContentItem*> rows;
    for (const nlohmann::json& entry : m_appList)
        rows.push_back(new KSAppWidgetItem(m_content, entry));
    setContentItems(rows);
}

} // namespace OV
