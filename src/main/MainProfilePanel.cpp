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
#include "widgets/MessageDialog.h"

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
    if (profile) {
        QPixmap picture = m_useCase->loadIconFile(*profile, m_picture->size() * m_picture->devicePixelRatio());
        if (picture.isNull())
            picture = QPixmap(QStringLiteral(":/profile/image/item_bg_default.png"));
        m_picture->setBackgroundPixmap(picture);
    } else {
        m_picture->setBackgroundPixmap(QPixmap());
    }
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
    const std::shared_ptr<ProjectDbProfileBean> profile = m_currentProfile;
    picker->setSelectionCallback([self, pickerGuard, profile](const QString& address, const QPixmap& chosen) {
        if (pickerGuard)
            pickerGuard->hide();
        if (!self)
            return;
        ProjectDbProfileBean changed(*profile);
        changed.icon = address;
        QPixmap cropped = trimTransparentEdges(chosen, StoreUtils::kTrimThreshold);
        const BaseResult<void> updated = self->m_useCase->updateProfile(changed, &cropped);
        if (!updated.isOk()) {
            MessageDialog::error(formatErrorDetails(updated), true);
            return;
        }
        *profile = changed;
        self->m_picture->setBackgroundPixmap(cropped);
        self->m_header->initDropDownMenu();
    });
    picker->show();
}

} // namespace OV
