#pragma once

#include "core/BaseResult.h"

#include <QByteArray>
#include <QPixmap>
#include <QString>

#include <functional>

class QObject;

namespace OV {

class ProjectDbPluginBean;
class ProjectPluginUseCase;
class ZipDirectory;

// Plug-in helpers shared by the store and the editing screens: the unpacked folder of a plug-in
// ("<plugin folder>/<uuid>"), its images and its stored icon.
//
// Unpacking: the package ("pack") is read from the project on the GUI thread and handed to a
// worker as bytes; the worker never touches the database. Per uuid one unpack runs at a time.
// It writes into a hidden sibling folder and renames it into place when complete, with a marker
// inside naming the package it came from, so a half-written folder or one from another package
// (an older install, another project) never counts as unpacked.
class MainUtils
{
public:
    static constexpr const char* kMarkerFileName = ".orvel-unpacked";

    // The root under which plug-ins unpack; empty (the default) means AppDirs::pluginDir().
    // For tests.
    static void setPluginRoot(const QString& root);
    static QString pluginRoot();
    // "<root>/<uuid>"; empty when the uuid is not one safe path component.
    static QString pluginFolder(const QString& uuid);

    // GUI thread: the stored package of the plug-in.
    static BaseResult<QByteArray> loadPluginPack(ProjectPluginUseCase& useCase, const ProjectDbPluginBean& plugin);

    // Whether the plug-in's folder holds exactly this package, unpacked. Any thread.
    static bool isPluginUnpacked(const QString& uuid, const QByteArray& pack);
    // GUI thread: the same for the stored package; false when it cannot be read.
    static bool isPluginUnpacked(ProjectPluginUseCase& useCase, const ProjectDbPluginBean& plugin);

    // Worker thread: unpacks the package unless the folder already holds it. Failure: no folder
    // is left, 3003 "Write failed" with "unzip plugin error"; an unsafe uuid gives 1002. Asked to
    // stop (the program exits, or the folder is removed meanwhile), it stops between members
    // and leaves the folder in place as it was; that also gives 3003. What it wrote is removed,
    // except at exit, which never waits for that: the next unpack or start removes it.
    static BaseResult<void> unpackPlugin(const QString& uuid, const QByteArray& pack);

    // GUI thread: reads the package and, unless it is unpacked already (then done runs at once),
    // unpacks it on a worker the application stops and waits for at exit; done runs on the GUI
    // thread only while guard exists, and not at all for an unpack that was stopped.
    static void asyncUnpackPlugin(ProjectPluginUseCase& useCase, const ProjectDbPluginBean& plugin,
                                  const QObject* guard, std::function<void(const BaseResult<void>&)> done);

    // GUI thread: removes the plug-in's unpacked folder without waiting for an unpack of it:
    // while one runs, that unpack stops and removes the folder as it ends (true is returned), and
    // until then the plug-in does not count as unpacked.
    static bool removeUnpackedPlugin(const QString& uuid);

    // Start-up: what unpacks and removals cut short (by an exit, a crash) left beside the
    // plug-ins' folders is removed on a worker, also for plug-ins that never unpack again.
    static void removeUnpackLeftovers();

    // Removes the plug-in's record with its "pack" and "icon" in one transaction, then its folder.
    static BaseResult<void> uninstallPlugin(ProjectPluginUseCase& useCase, const ProjectDbPluginBean& plugin);

    // A plug-in's own file, such as a button's picture, is named "file://<path>" (the prefix in
    // any letter case, spaces around it dropped); this is the path as written, null for any other
    // reference. Its file is found in the package and under the unpacked folder by one rule: as
    // ZipDirectory::nameKey compares names, ignoring letter case and Unicode form like the file
    // systems packages are written on.
    static QString pluginFileEntry(const QString& reference);
    // The file's bytes from the package; empty, with the reason in `why`, when it is not there.
    static QByteArray readPluginFile(const ZipDirectory& package, const QString& entry, QString* why = nullptr);
    // The file under the folder; empty when it is not there or the path is not one of plain
    // names (as the package's members are) inside the folder.
    static QString pluginFilePath(const QString& folder, const QString& entry);

    // Loads a plug-in image: a "file://" one from the unpacked folder, anything else through the
    // image loader as given; cropped at alpha 5. A path that would leave the folder gives a null
    // picture.
    static void asyncLoadPluginImage(const QString& uuid, const QString& image,
                                     std::function<void(const QPixmap&)> callback);
    // The stored "icon" of the plug-in; null when missing.
    static QPixmap loadPluginIcon(ProjectPluginUseCase& useCase, const ProjectDbPluginBean& plugin);

    // The marker text for a package: the unpack format and the package's SHA-256.
    static QByteArray markerFor(const QByteArray& pack);
};

} // namespace OV
