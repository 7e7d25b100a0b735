#pragma once

#include <QWidget>

#include <memory>

namespace OV {

class BaseWidget;
class CloudImagePicker;
class MainProfileWidget;
class ProjectDbProfileBean;
class ProjectProfileUseCase;

// The main window's top-left corner: the profile drop-down and the current profile's picture,
// which a click lets the user change.
class MainProfilePanel : public QWidget
{
    Q_OBJECT
public:
    explicit MainProfilePanel(QWidget* parent = nullptr);

    void onEditProfileIcon();

    MainProfileWidget* header() const { return m_header; }
    BaseWidget* picture() const { return m_picture; }
    const std::shared_ptr<ProjectDbProfileBean>& currentProfile() const { return m_currentProfile; }

    // The picture picker the profile screens share: made on first use, hidden rather than
    // closed, and destroyed when the application is about to quit.
    static CloudImagePicker* sharedPicker();

private:
    void followProfile(std::shared_ptr<ProjectDbProfileBean> profile);
    void refreshProfile(const std::shared_ptr<ProjectDbProfileBean>& profile);
    void showPicture(const ProjectDbProfileBean& profile);

    BaseWidget* m_picture = nullptr;
    std::shared_ptr<ProjectProfileUseCase> m_useCase;
    MainProfileWidget* m_header = nullptr;
    std::shared_ptr<ProjectDbProfileBean> m_currentProfile;
};

} // namespace OV
