#include "main/MainProfileParamsEditor.h"

#include "core/EventBus.h"
#include "main/MainWindow.h"
#include "widgets/BaseWidget.h"
#include "widgets/EditStateWatcher.h"
#include "widgets/ToastWidget.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>

namespace OV {

namespace {
constexpr int kTitleBarHeight = 40;

const nlohmann::json& emptyConfig()
{
    static const nlohmann::json empty;
    return empty;
}
} // namespace

MainProfileParamsEditor::MainProfileParamsEditor(QWidget* parent) : MainProfileParamsEditor(parent, emptyConfig()) {}

MainProfileParamsEditor::MainProfileParamsEditor(QWidget* parent, const nlohmann::json& config)
    : BaseEditPanel(parent, QStringLiteral("mainProfileParamsEditorTitleBar"), kTitleBarHeight, tr("Params Editor")),
      m_config(config)
{
    m_watcher = new EditStateWatcher(this);

    QHBoxLayout* page = addButtonPage();
    m_saveButton = addButton(page, tr("Save"), true);
    m_resetButton = addButton(page, tr("Reset"), false);
    m_resetButton->hide();

    contentWidget()->setEnabled(true);
    QPointer<QPushButton> save(m_saveButton);
    m_watcher->setDirtyCallback([save] {
        if (save)
            save->setEnabled(true);
    });
    m_saveButton->setEnabled(false);

    connect(m_saveButton, &QPushButton::clicked, this, [this] { saveEdit(); });
    connect(m_resetButton, &QPushButton::clicked, this, [this] { onResetEdit(); });
    connect(EventBus::instance(), &EventBus::messagePosted, this, &MainProfileParamsEditor::onMessage);
}

void MainProfileParamsEditor::onMessage(const QSharedPointer<EventBusMessage>& message)
{
    // Every open editor saves before a deploy, changed or not.
    if (message && message->topic == QLatin1String(Topics::PreDeploy))
        saveEdit();
}

void MainProfileParamsEditor::saveEdit(std::function<void()> then)
{
    runSave([this, then = std::move(then)] {
        m_saveButton->setEnabled(false);
        m_watcher->clearDirty();
        ToastWidget::showInfo(MainWindow::instance(), tr("Save successful"), true, 1500);
        if (then)
            then();
    });
}

void MainProfileParamsEditor::onResetEdit() {}

} // namespace OV
