#include "main/MainProfilePanel.h"

#include "core/ThemeLoader.h"
#include "main/MainProfileWidget.h"
#include "main/MainWindow.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileUseCase.h"
#include "store/StoreUtils.h"
#include "widgets/BaseWidget.h"
#include "widgets/CloudImagePicker.h"

#include <QCoreApplication>
#include <QPointer>

namespace OV {

namespace {

constexpr int kPickerPageSize = 50;
constexpr int kPickerItemWidth = 80;
constexpr int kPickerItemHeight = 90;
constexpr int kPickerThumbnailSize = 60;

} // namespace

CloudImagePicker* MainProfilePanel::sharedPicker()
{
    static QPointer<CloudImagePicker> picker;
    if (!picker) {
        picker =
            new CloudImagePicker(nullptr, kPickerPageSize, kPickerItemWidth, kPickerItemHeight, kPickerThumbnailSize);
        // A window without parent would outlive the application object otherwise.
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, picker.data(),
                         [p = picker.data()] { delete p; });
    }
    return picker;
}

MainProfilePanel::MainProfilePanel(QWidget* parent) : QWidget(parent)
{
    setFixedWidth(260);
    const auto applyTheme = [this] { setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("main_panels"))); };
    applyTheme();
    connect(ThemeLoader::instance(), &ThemeLoader::themeChanged, this, applyTheme);
    m_useCase = ProjectManager::instance()->getProfileUseCase();
    m_picture = new BaseWidget(this);
    m_picture->setFixedSize(120, 120);
    m_picture->setBorderRadius(20);
    m_picture->setSelectable(false);
    m_picture->move(70, 55);
    m_header = new MainProfileWidget(this);
    m_header->move(5, 5);
    m_header->currentProfileCallback = [this](std::shared_ptr<ProjectDbProfileBean> profile) {
        followProfile(std::move(profile));
    };
    m_header->currentProfileRefreshedCallback = [this](std::shared_ptr<ProjectDbProfileBean> profile) {
        refreshProfile(profile);
    };
    // The main window is handed its profile while it is built: the first row is chosen now
    // rather than by the header's queued re-selection, which then finds it chosen already.
    m_header->chooseFirstProfile();
    m_picture->setPressedCallback([this](bool pressed) { m_picture->setOpacity(pressed ? 0.6f : 1.0f); });
    connect(m_picture, &BaseWidget::clicked, this, &MainProfilePanel::onEditProfileIcon);
}

void MainProfilePanel::followProfile(std::shared_ptr<ProjectDbProfileBean> profile)
{
    m_currentProfile = profile;
    MainWindow::setCurrentProfile(profile ? std::make_shared<ProjectDbProfileBean>(*profile) : nullptr);
    if (profile)
        showPicture(*profile);
    else
        m_picture->setBackgroundPixmap(QPixmap());
}

void MainProfilePanel::refreshProfile(const std::shared_ptr<ProjectDbProfileBean>& profile)
{
    m_currentProfile = profile;
    // The main window's copy follows the stored fields; its document is not the panel's.
    const std::shared_ptr<ProjectDbProfileBean> shown = MainWindow::currentProfile();
    if (shown && shown->id == profile->id) {
        shown->k1 = profile->k1;
        shown->isDefault = profile->isDefault;
        shown->name = profile->name;
        shown->showName = profile->showName;
        shown->icon = profile->icon;
        shown->preferred = profile->preferred;
    }
    showPicture(*profile);
}

void MainProfilePanel::showPicture(const ProjectDbProfileBean& profile)
{
    QPixmap picture = m_useCase->loadIconFile(profile, m_picture->size() * m_picture->devicePixelRatio());
    if (picture.isNull())
        picture = QPixmap(QStringLiteral(":/profile/image/item_bg_default.png"));
    m_picture->setBackgroundPixmap(picture);
}

void MainProfilePanel::onEditProfileIcon()
{
    if (!m_currentProfile)
        return;
    CloudImagePicker* picker = sharedPicker();
    const QPointer<CloudImagePicker> pickerGuard(picker);
    picker->setCloseRequestHandler([pickerGuard] {
        if (pickerGuard)
            pickerGuard->hide();
        return false;
    });
    const QPointer<MainProfilePanel> self(this);
    // The picture goes to the profile the picker was opened for, as it is stored when chosen:
    // a rename or preference made while the picker was open stays.
    const int64_t id = m_currentProfile->id;
    picker->setSelectionCallback([self, pickerGuard, id](const QString& address, const QPixmap& chosen) {
        if (pickerGuard)
            pickerGuard->hide();
        if (!self)
            return;
        QPixmap cropped = trimTransparentEdges(chosen, StoreUtils::kTrimThreshold);
        if (!self->m_header->storeProfile(
                id, [&address](ProjectDbProfileBean& stored) { stored.icon = address; }, &cropped))
            return;
        if (self->m_currentProfile && self->m_currentProfile->id == id)
            self->m_picture->setBackgroundPixmap(cropped);
    });
    picker->show();
}

} // namespace OV
