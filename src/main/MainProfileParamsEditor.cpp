#include "main/MainProfileParamsEditor.h"

#include "core/EventBus.h"
#include "core/ThemeLoader.h"
#include "main/MainWindow.h"
#include "store/StoreUtils.h"
#include "widgets/BaseWidget.h"
#include "widgets/EditStateWatcher.h"
#include "widgets/MessageDialog.h"
#include "widgets/ToastWidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

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
    : QWidget(parent), m_config(config)
{
    m_watcher = new EditStateWatcher(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* titleBar = new QWidget(this);
    titleBar->setObjectName(QStringLiteral("mainProfileParamsEditorTitleBar"));
    titleBar->setAttribute(Qt::WA_StyledBackground);
    titleBar->setFixedHeight(kTitleBarHeight);
    auto* titleLayout = new QHBoxLayout(titleBar);
    titleLayout->setContentsMargins(10, 0, 10, 0);
    titleLayout->setSpacing(0);
    titleLayout->setAlignment(Qt::AlignVCenter);

    m_titleLabel = new QLabel(tr("Params Editor"), titleBar);
    m_leftSpacer = new QWidget(titleBar);
    m_leftSpacer->setFixedHeight(kTitleBarHeight);
    m_leftSpacer->hide();
    m_rightSpacer = new QWidget(titleBar);
    m_rightSpacer->setFixedHeight(kTitleBarHeight);
    m_rightSpacer->hide();
    m_buttonStack = new QStackedWidget(titleBar);
    m_buttonStack->setFixedSize(200, kTitleBarHeight);

    auto* page = new QWidget(m_buttonStack);
    auto* pageLayout = new QHBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setAlignment(Qt::AlignVCenter);
    pageLayout->addStretch(1);
    m_saveButton = new QPushButton(tr("Save"), page);
    m_saveButton->setFixedHeight(26);
    m_saveButton->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("primary_button")));
    m_resetButton = new QPushButton(tr("Reset"), page);
    m_resetButton->setFixedHeight(26);
    m_resetButton->hide();
    pageLayout->addWidget(m_saveButton);
    pageLayout->addWidget(m_resetButton);
    m_buttonStack->addWidget(page);

    titleLayout->addWidget(m_titleLabel);
    titleLayout->addStretch(1);
    titleLayout->addWidget(m_leftSpacer);
    titleLayout->addWidget(m_buttonStack);
    titleLayout->addWidget(m_rightSpacer);

    auto* divider = new QWidget(this);
    divider->setObjectName(QStringLiteral("divider"));
    divider->setAttribute(Qt::WA_StyledBackground);
    divider->setFixedHeight(2);

    m_content = new BaseWidget(this);

    layout->addWidget(titleBar);
    layout->addWidget(divider);
    layout->addWidget(m_content, 1);

    m_content->setEnabled(true);
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

void MainProfileParamsEditor::saveEdit()
{
    QPointer<MainProfileParamsEditor> self(this);
    onSaveEdit([self](const BaseResult<void>& result) {
        if (!self)
            return;
        if (!result.isOk()) {
            MessageDialog::error(formatErrorDetails(result), true);
            return;
        }
        self->m_saveButton->setEnabled(false);
        self->m_watcher->clearDirty();
        ToastWidget::showInfo(MainWindow::instance(), tr("Save successful"), true, 1500);
    });
}

void MainProfileParamsEditor::onSaveEdit(BaseResultCallback<void> resultCallback)
{
    if (saveEditHandler) {
        saveEditHandler(std::move(resultCallback));
        return;
    }
    resultCallback(BaseResult<void>::failure(
        Errors::Logic, QStringLiteral("not override function: onSaveEdit(BaseResultCallback<void> resultCallback)")));
}

void MainProfileParamsEditor::onResetEdit() {}

} // namespace OV
