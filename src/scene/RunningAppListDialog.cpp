#include "scene/RunningAppListDialog.h"

#include "core/ThemeLoader.h"
#include "os/OSController.h"
#include "widgets/SearchableComboBox.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QVBoxLayout>

namespace OV {

RunningAppListDialog::RunningAppListDialog(OSController* controller)
    : BaseDialog(nullptr), m_controller(controller ? controller : OSController::instance())
{
    setTitle(tr("Running Apps"));
    setFixedWindowSize(500, 200);
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(20, 30, 20, 30);
    layout->setSpacing(0);
    layout->addStretch();
    m_combo = new SearchableComboBox(content);
    m_combo->setFixedHeight(36);
    m_combo->setIconSize(QSize(24, 24));
    m_combo->setEditable(false);
    layout->addWidget(m_combo);
    layout->addStretch();
    setContentWidget(content);
    button1->hide();
    button2->hide();
    button3->setText(tr("Ok"));
    button3->setObjectName(QStringLiteral("primaryButton"));
    button3->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("primary_button")));
    button3Handler = [this](BaseDialog&) {
        const int index = m_combo->currentIndex();
        const OSRunningApp* app = index >= 0 && size_t(index) < m_apps.size() ? &m_apps[size_t(index)] : nullptr;
        if (onSelected)
            onSelected(app);
    };
    fill();
}

void RunningAppListDialog::fill()
{
    m_combo->clear();
    m_apps.clear();
    m_paths.clear();
    const QString self = QCoreApplication::applicationName().remove(QLatin1Char(' '));
    for (const OSRunningApp& app : m_controller->getRunningApps()) {
        const QString baseName = QFileInfo(app.path).completeBaseName();
        if (!self.isEmpty() && baseName.contains(self, Qt::CaseInsensitive))
            continue;
        if (m_paths.contains(app.path))
            continue;
        m_paths.insert(app.path);
        m_apps.push_back(app);
        m_combo->addItem(QIcon(m_controller->getFileIcon(app.path, true)), baseName, app.path);
    }
}

} // namespace OV
