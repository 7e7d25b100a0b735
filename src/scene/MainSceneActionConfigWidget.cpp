#include "scene/MainSceneActionConfigWidget.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "main/RightClickFilter.h"
#include "project/ProjectDatabase.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "scene/SceneActionListWidget.h"
#include "widgets/AnchorLayout.h"
#include "widgets/AnchorLine.h"
#include "widgets/CloudImagePicker.h"
#include "widgets/EditStateWatcher.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>
#include <stdexcept>

namespace OV {

namespace {

std::shared_ptr<CloudImagePicker>& sharedImagePicker()
{
    static std::shared_ptr<CloudImagePicker> picker;
    return picker;
}

CloudImagePicker* imagePicker()
{
    std::shared_ptr<CloudImagePicker>& picker = sharedImagePicker();
    if (!picker) {
        picker = std::make_shared<CloudImagePicker>(nullptr, 50, 80, 90, 60);
        // Widgets must go before the application object does.
        qAddPostRoutine([] { sharedImagePicker().reset(); });
    }
    return picker.get();
}

// A prompt picture stored in the open project's file_store; null when missing or unreadable.
QPixmap storedPicture(int64_t ownerId, const QString& name)
{
    const std::shared_ptr<ProjectModuleUseCase> modules = ProjectManager::instance()->getModuleUseCase();
    if (name.isEmpty() || !modules || !modules->accessor->database())
        return {};
    const BaseResult<QByteArray> loaded = modules->accessor->database()->loadFile(ownerId, name);
    QPixmap pixmap;
    if (loaded.isOk() && loaded.data && !loaded.data->isEmpty())
        pixmap.loadFromData(*loaded.data);
    return pixmap;
}

} // namespace

MainSceneActionConfigWidget::MainSceneActionConfigWidget(QWidget* parent, EditStateWatcher* watcher)
    : QWidget(parent), m_watcher(watcher)
{
    if (!watcher)
        throw std::invalid_argument("editStateWatcher is null");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(20);

    auto* prompt = new QGroupBox(tr("Prompt Dialog"), this);
    prompt->setFixedHeight(80);
    auto* row = new QHBoxLayout(prompt);
    row->setContentsMargins(16, 10, 16, 16);
    m_enabledBox = new QCheckBox(tr("Enabled"), prompt);
    m_enabledBox->setFixedHeight(30);
    m_enabledBox->setStyleSheet(QStringLiteral("qproperty-layoutDirection: RightToLeft;"));
    row->addWidget(m_enabledBox);
    row->addSpacing(40);
    m_iconLabel = new QLabel(tr("Icon"), prompt);
    m_iconLabel->setFixedHeight(30);
    m_iconLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(m_iconLabel);
    m_iconButton = new QPushButton(prompt);
    m_iconButton->setFlat(true);
    m_iconButton->setFixedSize(40, 40);
    m_iconButton->setIconSize(QSize(36, 36));
    row->addWidget(m_iconButton);
    row->addSpacing(20);
    m_nameLabel = new QLabel(tr("Name"), prompt);
    m_nameLabel->setFixedHeight(32);
    m_nameLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(m_nameLabel);
    m_nameEdit = new QLineEdit(prompt);
    m_nameEdit->setFixedHeight(32);
    m_nameEdit->setMaxLength(64);
    row->addWidget(m_nameEdit, 1);
    layout->addWidget(prompt);

    m_watcher->watch(m_enabledBox);
    m_watcher->watch(m_nameEdit);
    connect(m_enabledBox, &QCheckBox::toggled, this, [this](bool checked) {
        updateEnabledState(checked);
        m_watcher->markDirty();
    });
    updateEnabledState(m_enabledBox->isChecked());
    connect(m_iconButton, &QPushButton::clicked, this, &MainSceneActionConfigWidget::openImagePicker);
    auto* rightClick = new RightClickFilter(m_iconButton);
    rightClick->handler = [this](QObject*, QMouseEvent* event) { openClearMenu(event->globalPosition().toPoint()); };
    m_iconButton->installEventFilter(rightClick);
    repaintIconButton();
}

void MainSceneActionConfigWidget::updateEnabledState(bool enabled)
{
    m_nameLabel->setEnabled(enabled);
    m_nameEdit->setEnabled(enabled);
    m_iconLabel->setEnabled(enabled);
    m_iconButton->setEnabled(enabled);
}

QGroupBox* MainSceneActionConfigWidget::createActionListGroup()
{
    if (m_actionGroup)
        return m_actionGroup;
    m_actionGroup = new QGroupBox(tr("Action List"), this);
    m_actionList = new SceneActionListWidget(m_actionGroup, m_watcher);
    AnchorLayout* anchors = AnchorLayout::get(m_actionList);
    AnchorLayout* group = AnchorLayout::get(m_actionGroup);
    anchors->left()->anchorTo(group->left())->setMargin(8);
    anchors->top()->anchorTo(group->top())->setMargin(32);
    anchors->right()->anchorTo(group->right())->setMargin(8);
    anchors->bottom()->anchorTo(group->bottom())->setMargin(8);
    if (auto* own = qobject_cast<QVBoxLayout*>(layout()))
        own->addWidget(m_actionGroup, 1);
    return m_actionGroup;
}

void MainSceneActionConfigWidget::setPromptIconPath(const QString& path)
{
    m_promptIconPath = path;
    repaintIconButton();
}

void MainSceneActionConfigWidget::repaintIconButton()
{
    const auto it = m_imageMap.find(m_promptIconPath);
    const QPixmap picture = it != m_imageMap.end() ? it->second : QPixmap();
    m_iconButton->setIcon(picture.isNull() ? QIcon() : QIcon(picture));
    m_iconButton->setText(picture.isNull() ? QStringLiteral("+") : QString());
    m_iconButton->update();
}

void MainSceneActionConfigWidget::onImagePicked(const QString& name, const QPixmap& picture)
{
    m_pickedImageName = name;
    m_imageMap[m_promptIconPath] = picture;
    repaintIconButton();
    m_watcher->markDirty();
}

void MainSceneActionConfigWidget::clearImage()
{
    m_pickedImageName.clear();
    m_imageMap[m_promptIconPath] = QPixmap();
    repaintIconButton();
    m_watcher->markDirty();
}

void MainSceneActionConfigWidget::openImagePicker()
{
    CloudImagePicker* picker = imagePicker();
    picker->setCloseRequestHandler([picker] {
        picker->hide();
        return false;
    });
    QPointer<MainSceneActionConfigWidget> self(this);
    picker->setSelectionCallback([self, picker](const QString& name, const QPixmap& picture) {
        picker->hide();
        if (self)
            self->onImagePicked(name, picture);
    });
    picker->show();
}

void MainSceneActionConfigWidget::openClearMenu(const QPoint& globalPos)
{
    auto* menu = new QMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("base")));
    QPointer<MainSceneActionConfigWidget> self(this);
    menu->addAction(tr("Clear"), menu, [self] {
        if (self)
            self->clearImage();
    });
    menu->popup(globalPos);
}

void MainSceneActionConfigWidget::loadEventConfig(int64_t ownerId, const QString& promptIconPath,
                                                  const QString& defaultName, nlohmann::json* event)
{
    saveEventConfig();
    m_ownerId = ownerId;
    m_event = event;
    if (!m_event)
        return;
    const nlohmann::json& e = *m_event;
    // A stored value of another kind is shown as its default; the log names the record.
    const auto checkKind = [&e, ownerId](const char* key, bool (nlohmann::json::*kind)() const noexcept) {
        const auto found = e.find(key);
        if (found != e.end() && !((*found).*kind)())
            Logger::warn("MainSceneActionConfigWidget",
                         "record id:%lld: event \"%s\" of another kind, shown as default",
                         static_cast<long long>(ownerId), key);
    };
    checkKind("promptEnabled", &nlohmann::json::is_boolean);
    checkKind("promptText", &nlohmann::json::is_string);
    checkKind("promptDialogBg", &nlohmann::json::is_string);
    checkKind("actionList", &nlohmann::json::is_array);
    const auto promptEnabled = e.find("promptEnabled");
    m_enabledBox->setChecked(promptEnabled == e.end() || !promptEnabled->is_boolean() || promptEnabled->get<bool>());
    const auto promptText = e.find("promptText");
    m_nameEdit->setText(promptText != e.end() && promptText->is_string()
                            ? OV::fromStdText(promptText->get<std::string>())
                            : defaultName);
    const auto background = e.find("promptDialogBg");
    m_pickedImageName =
        background != e.end() && background->is_string() ? OV::fromStdText(background->get<std::string>()) : QString();
    // A picture picked but not yet saved stays in the map; otherwise the stored one is shown.
    if (m_imageMap.find(promptIconPath) == m_imageMap.end()) {
        const QPixmap stored = storedPicture(ownerId, promptIconPath);
        if (!stored.isNull())
            m_imageMap[promptIconPath] = stored;
    }
    setPromptIconPath(promptIconPath);
    if (!m_actionList)
        return;
    const auto actions = e.find("actionList");
    m_actionList->setActions(actions != e.end() && actions->is_array() ? *actions : nlohmann::json::array());
    m_actionList->updateActionList();
}

void MainSceneActionConfigWidget::saveEventConfig()
{
    if (!m_event)
        return;
    nlohmann::json& e = *m_event;
    if (!e.is_object())
        e = nlohmann::json::object();
    e["promptEnabled"] = m_enabledBox->isChecked();
    e["promptText"] = m_nameEdit->text().trimmed().toStdString();
    e["promptDialogBg"] = m_pickedImageName.toStdString();
    if (m_actionList)
        e["actionList"] = m_actionList->actions();
}

} // namespace OV
