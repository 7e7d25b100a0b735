#include "module/ModuleAddDialogPogoPin.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "module/ModuleRecordWriter.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectModuleUseCase.h"
#include "store/StoreUtils.h"
#include "widgets/MessageDialog.h"

#include <QCheckBox>

namespace OV {

namespace {
constexpr const char* kTag = "ModuleAddDialogPogoPin";
}

ModuleAddDialogPogoPin::ModuleAddDialogPogoPin(const BeanList& modules, Timings timings, QWidget* parent)
    : ModulePogoPinDialog(tr("Add Tessilon Module"), tr("Add"),
                          {{tr("Name"), 200}, {tr("Device ID"), 180}, {tr("Net ID"), 100}, {tr("Added"), 90}}, modules,
                          timings, parent)
{}

void ModuleAddDialogPogoPin::onModuleListReceived(const Json& module)
{
    if (!isCanPush(module))
        return;
    const QString sn = pushedSerial(module);
    if (hasRowFor(sn))
        return;
    // Read everything before anything changes, so a malformed push leaves no trace.
    Json row = pushedRow(module, sn);
    const BeanPtr stored = m_recordsBySn.value(sn);
    const bool added = stored != nullptr;
    const int netId = added ? stored->netId : allocNetId(row.at("netId").get<int>());
    const QString name = OV::fromStdText(row.at("name").get<std::string>());
    row["netId"] = netId;
    row["isAdded"] = added;
    const size_t index = rows().size();
    QCheckBox* box = appendRow(
        std::move(row), {name, sn, QString::number(netId), added ? tr("Yes") : tr("No")},
        {QString(), QString(), QString(), added ? QStringLiteral("addedLabel") : QStringLiteral("notAddedLabel")}, true,
        !added);
    connect(box, &QCheckBox::toggled, this, [this, index](bool checked) { onRowToggled(index, checked); });
    onRowToggled(index, box->isChecked());
}

void ModuleAddDialogPogoPin::onRowToggled(size_t index, bool checked)
{
    Json& row = rowAt(index);
    row["selected"] = checked;
    Logger::info(kTag, "module[%s] selected changed:%s", row.at("sn").get<std::string>().c_str(),
                 checked ? "true" : "false");
    int count = 0;
    for (const Json& each : rows()) {
        if (!each.at("isAdded").get<bool>() && each.at("selected").get<bool>())
            ++count;
    }
    if (count > 0)
        setButtonState(true, tr("Add (%1)").arg(count));
    else
        setButtonState(false, tr("Add"));
}

void ModuleAddDialogPogoPin::onAdd()
{
    ProjectModuleUseCase::BeanList beans;
    for (const Json& row : rows()) {
        if (row.at("isAdded").get<bool>() || !row.at("selected").get<bool>())
            continue;
        auto bean = std::make_shared<ProjectDbModuleBean>();
        bean->gatewayType = OV::fromStdText(row.at("gatewayType").get<std::string>());
        bean->productId = row.at("productId").get<uint64_t>();
        bean->name = OV::fromStdText(row.at("name").get<std::string>());
        bean->sn = OV::fromStdText(row.at("sn").get<std::string>());
        bean->netId = row.at("netId").get<int>();
        bean->workMode = row.at("workMode").get<int>();
        beans.push_back(std::move(bean));
    }
    if (beans.empty())
        return;
    const BaseResult<void> saved = ModuleRecordWriter::add(beans);
    if (!saved.isOk()) {
        MessageDialog::error(tr("Save Modules failed:%1").arg(formatErrorDetails(saved)), true);
        return;
    }
    finishSaved();
}

} // namespace OV
