#include "project/ProjectProfileKsWidgetUseCase.h"

#include "core/Logger.h"
#include "project/ProjectImageUtils.h"

namespace OV {

BaseResult<void> ProjectProfileKsWidgetUseCase::insertOrUpdateWidget(ProjectDbProfileKsWidgetBean& bean, QPixmap* icon)
{
    const int64_t givenId = bean.id;
    const int64_t givenSortId = bean.sortId;
    const BaseResult<void> result = transaction([&]() {
        BaseResult<void> stored;
        if (bean.id < 0) {
            stored = insert(bean);
        } else {
            // A card writes what it owns into the record as stored now: a record removed
            // meanwhile stays removed, and the place the strip gave it is kept.
            const BaseResult<BeanPtr> current = accessor->findById(bean.id);
            if (!current.isOk())
                return BaseResult<void>::from(current);
            if (!*current.data)
                return BaseResult<void>(Errors::RecordNotExists);
            bean.sortId = (*current.data)->sortId;
            stored = BaseResult<void>::from(update(bean));
        }
        if (!stored.isOk() || !icon)
            return stored;
        return saveWidgetIcon(bean, icon);
    });
    // A rolled-back insert must not leave the bean with an id that a later record may get.
    if (!result.isOk()) {
        bean.id = givenId;
        bean.sortId = givenSortId;
    }
    return result;
}

BaseResult<void> ProjectProfileKsWidgetUseCase::saveWidgetIcon(const ProjectDbProfileKsWidgetBean& bean, QPixmap* icon)
{
    if (!icon)
        return BaseResult<void>(Errors::InvalidArgument, QStringLiteral("icon is null"));
    const BaseResult<bool> exists = accessor->exists(bean.id);
    if (!exists.isOk())
        return BaseResult<void>::from(exists);
    if (!*exists.data)
        return BaseResult<void>(Errors::RecordNotExists);
    return database()->saveFile(bean.id, QString::fromLatin1(kIconFileName), pixmapToPng(*icon));
}

QPixmap ProjectProfileKsWidgetUseCase::loadIconFile(const ProjectDbProfileKsWidgetBean& bean)
{
    QPixmap pixmap;
    pixmap.loadFromData(loadIconData(bean), "PNG");
    return pixmap;
}

QByteArray ProjectProfileKsWidgetUseCase::loadIconData(const ProjectDbProfileKsWidgetBean& bean)
{
    try {
        const BaseResult<QByteArray> loaded = database()->loadFile(bean.id, QString::fromLatin1(kIconFileName));
        if (!loaded.isOk()) {
            Logger::error("ProjectProfileKsWidgetUseCase", "loadIconFile error:%s",
                          (QString::number(loaded.code()) + QLatin1Char(' ') + loaded.message).toUtf8().constData());
            return {};
        }
        return *loaded.data;
    } catch (const std::exception& e) {
        Logger::error("ProjectProfileKsWidgetUseCase", "loadIconFile error:%s", e.what());
        return {};
    }
}

} // namespace OV
