#pragma once

#include "project/ProjectDbAccessors.h"
#include "project/ProjectUseCase.h"

#include <QPixmap>
#include <QString>

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>

namespace OV {

class KestrinDevice;

// The profiles of a project. Exactly one is the default profile (the first one created),
// which cannot be removed; at most one is preferred. A profile's picture is kept in
// file_store under "profile_icon".
class ProjectProfileUseCase : public ProjectUseCase<ProjectDbProfileAccessor, ProjectDbProfileBean>
{
public:
    static constexpr const char* kIconFileName = "profile_icon";

    using ProjectUseCase::ProjectUseCase;

    // "profile_" followed by the profile id: the profile's name in module data, in module
    // file names and towards the hub.
    static QString profileKey(const ProjectDbProfileBean& bean);
    static QString profileKey(int64_t profileId);

    // Adds a profile; the first of a project becomes default and preferred.
    BaseResult<void> createProfile(const QString& name, const QString& icon);
    // The first preferred profile in sort_id order, without data; an empty pointer when none.
    BaseResult<BeanPtr> findPreferred();
    // Stores the profile and, when icon is not null, its picture, in one transaction. A
    // profile stored as preferred takes the flag from every other profile.
    BaseResult<void> updateProfile(ProjectDbProfileBean& bean, QPixmap* icon);
    // The way a window changes a profile: reads the stored profile by id, applies the change
    // (the fields that window owns) and stores it, with the picture when not null, all in one
    // transaction; gives the profile as stored. A profile that is gone is 2006, never stored
    // again.
    BaseResult<BeanPtr> changeProfile(int64_t id, const std::function<void(ProjectDbProfileBean&)>& change,
                                      QPixmap* icon);
    // Removes a profile with its picture, its cards and its settings and files in every
    // module, all or nothing. An id without a profile succeeds and changes nothing.
    BaseResult<void> removeProfileAndClearAssociated(int64_t profileId);

    // The name proposed for a new profile: "New Profile", else the first free "New Profile %1"
    // from 1 on (exact, case-sensitive comparison); the base when the list cannot be read.
    QString newProfileName();
    // The profile's stored picture; null when it has none or it cannot be read.
    QPixmap loadIconFile(const ProjectDbProfileBean& bean);
    // The same, decoded for a place of that size in device pixels (see PngPicture::fromData).
    QPixmap loadIconFile(const ProjectDbProfileBean& bean, const QSize& shownSize);

    // Tells the hub which profile to show (nothing is stored); the callback gets its answer.
    static void setCurrentProfile(const std::shared_ptr<KestrinDevice>& device, const QString& profileKey,
                                  const BaseResultCallback<void>& callback);
    // Every profile, in sort order, as the hub is sent them (act 1108), writing the card and
    // plug-in button icons into the deploy assets folder on the way. GUI thread. 3003 with the
    // cause when an icon cannot be written; another code with the text when a profile cannot be
    // built (1000, or the read's own code).
    BaseResult<nlohmann::json> buildAllProfiles(const QString& assetsDir);
    // The hub's entry for one profile: its cards' "deploymentData" and the module settings kept
    // for it. Exports the icons of its cards into the assets folder; throws std::exception when
    // the records cannot be read, a card has no "deploymentData" or a card icon cannot be
    // exported.
    nlohmann::json buildDeploymentData(const ProjectDbProfileBean& profile, const QString& assetsDir);
    // Writes the icons a plug-in button group card takes from its plug-in's package and points
    // the buttons' "icon" at them, in the card's data in memory. Best effort: what cannot be
    // exported is logged and left as it is; throws on a card without "pluginUuid" or
    // "deploymentData".
    void exportPCCtrlGroupIcons(ProjectDbProfileKsWidgetBean& card, const QString& assetsDir);

    // The hub's applications that can be shown as cards, as the hub's reply JSON.
    static void getKsWidgetAppList(const std::shared_ptr<KestrinDevice>& device,
                                   const BaseResultCallback<nlohmann::json>& callback);

private:
    // The store of updateProfile, inside the caller's transaction.
    BaseResult<void> storeProfile(const ProjectDbProfileBean& bean, QPixmap* icon);
};

} // namespace OV
