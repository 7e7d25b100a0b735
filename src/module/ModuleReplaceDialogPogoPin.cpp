#include "module/ModuleReplaceDialogPogoPin.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "module/ModuleRecordWriter.h"
#include "module/PelloraDeployData.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "store/StoreUtils.h"
#include "widgets/MessageDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QPushButton>

namespace OV {

namespace {
constexpr const char* kTag = "ModuleReplaceDialogPogoPin";
}

ModuleReplaceDialogPogoPin::ModuleReplaceDialogPogoPin(BeanPtr replaced, const BeanList& modules, Timings timings,
                                                       QWidget* parent)
    : ModulePogoPinDialog(tr("Replace Tessilon Module"), tr("Replace"),
                          {{tr("Name"), 200}, {tr("Device ID"), 180}, {tr("Net ID"), 100}}, modules, timings, parent),
      m_replaced(std::move(replaced))
{
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
}

void ModuleReplaceDialogPogoPin::onModuleListReceived(const Json& module)
{
    if (!isCanPush(module) || !m_replaced)
        return;
    const uint64_t productId = module.at("productId").get<uint64_t>();
    if (productId != m_replaced->productId)
        return;
    const QString sn = pushedSerial(module);
    if (hasRowFor(sn) || m_recordsBySn.contains(sn))
        return;
    Json row = pushedRow(module, sn);
    const int netId = allocNetId(row.at("netId").get<int>());
    const QString name = OV::fromStdText(row.at("name").get<std::string>());
    row["netId"] = netId;
    const int index = int(rows().size());
    QCheckBox* box = appendRow(std::move(row), {name, sn, QString::number(netId)}, {}, false, true);
    m_group->addButton(box);
    connect(box, &QCheckBox::toggled, this, [this, index, sn](bool checked) {
        Logger::info(kTag, "module[%s] selected changed:%s", sn.toUtf8().constData(), checked ? "true" : "false");
        if (!checked)
            return;
        m_chosen = index;
        setButtonState(true, tr("Replace"));
    });
}

void ModuleReplaceDialogPogoPin::onAdd()
{
    if (m_chosen < 0 || !m_replaced)
        return;
    const Json& row = rows().at(size_t(m_chosen));
    // The dialog owns the module's identity on the bus; the rest of the record is taken as it
    // is stored now, and the shared record changes only once the store succeeded.
    const QString sn = OV::fromStdText(row.at("sn").get<std::string>());
    const QString name = OV::fromStdText(row.at("name").get<std::string>());
    const int netId = row.at("netId").get<int>();
    const auto saved = ModuleRecordWriter::write(
        m_replaced->id,
        [&](ProjectDbModuleBean& fresh) {
            fresh.sn = sn;
            fresh.name = name;
            fresh.netId = netId;
        },
        [](ProjectModuleUseCase& modules, ProjectDbModuleBean& fresh) {
            return fresh.productId == ProjectModuleUseCase::kPelloraProductId
                       ? refreshPelloraExtraConfig(modules, fresh)
                       : modules.updateConfig(fresh, {});
        });
    if (!saved.isOk()) {
        MessageDialog::error(tr("Replace module failed:%1").arg(formatErrorDetails(saved)), true);
        return;
    }
    ModuleRecordWriter::refresh(*m_replaced, **saved.data);
    finishSaved();
}

} // namespace OV
