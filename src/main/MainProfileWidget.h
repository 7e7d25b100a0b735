#pragma once

#include "widgets/BaseWidget.h"

#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QPixmap;
class QMenu;
class QPushButton;

namespace OV {

class BaseDialog;
class BaseWidgetSelectGroup;
class DelayOpMessageDialog;
class ElidedLabel;
class ProjectDbProfileBean;
class ProjectProfileUseCase;

// The profile drop-down of the main window: names the current profile and lists every profile
// of the project with "Edit name", "Save as preferred" and "Delete", and "New Profile..." last.
// The rows, and the pictures they show, are made when the list is first opened after a change:
// a project of many profiles costs nothing for the rows nobody has looked at.
class MainProfileWidget : public BaseWidget
{
    Q_OBJECT
public:
    using ProfilePtr = std::shared_ptr<ProjectDbProfileBean>;

    // One row of the drop-down.
    class ProfileItem : public BaseWidget
    {
    public:
        ProfileItem(MainProfileWidget* owner, ProfilePtr profile, QWidget* parent);

        const ProfilePtr& profile() const { return m_profile; }
        QLabel* star() const { return m_star; }
        QPushButton* menuButton() const { return m_menuButton; }
        // Opens the row's menu; returns it (it deletes itself on close).
        QMenu* openRowMenu();

    protected:
        void onClicked() override;
        void onPressedChanged(bool pressed) override;
        void enterEvent(QEnterEvent* event) override;
        void leaveEvent(QEvent* event) override;
        void showEvent(QShowEvent* event) override;

    private:
        ProfilePtr m_profile;
        MainProfileWidget* m_owner = nullptr;
        BaseWidget* m_icon = nullptr;
        ElidedLabel* m_name = nullptr;
        QLabel* m_star = nullptr;
        QPushButton* m_menuButton = nullptr;
        bool m_pictureShown = false;
    };

    explicit MainProfileWidget(QWidget* parent = nullptr);

    std::function<void(ProfilePtr)> currentProfileCallback;
    // The current profile was read again (same id, fields as stored now).
    std::function<void(ProfilePtr)> currentProfileRefreshedCallback;

    void initDropDownMenu();
    void setCurrentProfile(ProfilePtr profile);
    const ProfilePtr& currentProfile() const { return m_currentProfile; }
    // Without a current profile, chooses the first one now (as a click on its row would).
    void chooseFirstProfile();

    // Each opens its dialog (returned, deleted on close) or, for the preference, stores at once.
    BaseDialog* onClickNewProfile();
    BaseDialog* onClickEditProfileName(const ProfilePtr& profile);
    void onClickSaveAsPreferred(const ProfilePtr& profile);
    DelayOpMessageDialog* onClickDeleteProfile(const ProfilePtr& profile);

    // How every window changes a profile: the stored profile is read by id, the change (the
    // fields that window owns) applied and stored with the picture, when given; then the
    // holders on screen (header, panel, drop-down) take the stored profile. A failure is shown
    // and gives null.
    ProfilePtr storeProfile(int64_t id, const std::function<void(ProjectDbProfileBean&)>& change,
                            QPixmap* icon = nullptr);

    QMenu* dropDownMenu() const { return m_menu; }
    // Both make the rows when they are not made yet.
    BaseWidgetSelectGroup* selectGroup();
    QList<ProfileItem*> rows();
    ElidedLabel* nameLabel() const { return m_nameLabel; }

    static constexpr const char* kNewProfileText = "New Profile...";

signals:
    // A row's menu just opened (tests answer it from here).
    void rowMenuShown(QMenu* menu, const std::shared_ptr<ProjectDbProfileBean>& profile);

protected:
    void onClicked() override;

private:
    void onRowChosen(BaseWidget* row);
    void ensureRows();
    // Wide enough for the rows, narrow for "New Profile..." alone.
    void fitMenuWidth();
    // Makes the profile current, its row (when made) the chosen one.
    void chooseProfile(const ProfilePtr& profile);

    ProfilePtr m_currentProfile;
    // The profiles as read at the last rebuild, in list order; the rows show these.
    std::vector<ProfilePtr> m_profiles;
    bool m_rowsMade = false;
    ElidedLabel* m_nameLabel = nullptr;
    QMenu* m_menu = nullptr;
    BaseWidgetSelectGroup* m_selectGroup = nullptr;
    QAction* m_newProfileAction = nullptr;
    std::shared_ptr<ProjectProfileUseCase> m_useCase;
};

} // namespace OV
