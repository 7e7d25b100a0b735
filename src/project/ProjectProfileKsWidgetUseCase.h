#pragma once

#include "project/ProjectDbAccessors.h"
#include "project/ProjectUseCase.h"

#include <QPixmap>

namespace OV {

// The cards placed on a profile's hub screen (k1 = the profile id in decimal), each with its
// icon in file_store under "widget_icon".
class ProjectProfileKsWidgetUseCase : public ProjectUseCase<ProjectDbKsWidgetAccessor, ProjectDbProfileKsWidgetBean>
{
public:
    static constexpr const char* kIconFileName = "widget_icon";

    using ProjectUseCase::ProjectUseCase;

    // Stores the card and, when icon is not null, its icon, in one transaction. A new card (id
    // below 0) gets its id. A stored card is written over the record as it stands: a removed
    // record is 2006 and stays removed, and the bean takes the stored sort position (the strip's
    // to change). On failure the bean keeps the id and position it had.
    BaseResult<void> insertOrUpdateWidget(ProjectDbProfileKsWidgetBean& bean, QPixmap* icon);
    // Stores the icon of a stored card (2006 for a card without a row).
    BaseResult<void> saveWidgetIcon(const ProjectDbProfileKsWidgetBean& bean, QPixmap* icon);
    // The card's stored icon; a null picture when there is none or on any error (logged).
    QPixmap loadIconFile(const ProjectDbProfileKsWidgetBean& bean);
    // The same undecoded (PNG bytes); empty when there is none or on any error (logged).
    QByteArray loadIconData(const ProjectDbProfileKsWidgetBean& bean);
};

} // namespace OV
