#include "cards/KSPCCtrlWidgetGroup.h"

#include "cards/KSPCCtrlWidgetItem.h"
#include "scene/SceneOSCtrlConfig.h"

#include <QCoreApplication>

namespace OV {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("OV::KSPCCtrlWidgetGroup", text);
}

} // namespace

int KSPCCtrlWidgetGroup::itemCount()
{
    return 10;
}

void KSPCCtrlWidgetGroup::createItem(std::vector<SimpleWidgetListContentItem*>& rows, QWidget* parent)
{
    struct Row
    {
        QString name;
        const char* icon;
        const char* typeId;
        const char* extCmd;
    };
    const Row table[] = {
        {tr("CPU Usage"), ":/profile/image/icon_pc_cpu.png", "cpuUsage", "CPU"},
        {tr("Memory Usage"), ":/profile/image/icon_pc_memory.png", "cpuUsage", "MEMORY"},
        {tr("Storage Usage"), ":/profile/image/icon_pc_hard_disk.png", "cpuUsage", "STORAGE"},
        {tr("Network Speed"), ":/profile/image/icon_pc_network_speed.png", "cpuUsage", "NETWORK"},
        {pcControlTypeLabel("hotKey"), ":/profile/image/icon_pc_hot_key.png", "hotKey", ""},
        {pcControlTypeLabel("openFileOrFolder"), ":/profile/image/icon_pc_open_file.png", "openFile", ""},
        {pcControlTypeLabel("startApp"), ":/profile/image/icon_pc_exe.png", "startApp", ""},
        {pcControlTypeLabel("openBrowser"), ":/profile/image/icon_pc_open_browser.png", "openBrowser", ""},
        {pcControlTypeLabel("inputText"), ":/profile/image/icon_pc_input_text.png", "inputText", ""},
        {pcControlTypeLabel("execCmd"), ":/profile/image/icon_pc_exec_cmd.png", "execCmd", ""},
    };
    for (const Row& row : table)
        rows.push_back(new KSPCCtrlWidgetItem(parent, QString::fromLatin1(row.typeId), QString::fromLatin1(row.icon),
                                              row.name, QString::fromLatin1(row.extCmd)));
}

} // namespace OV
