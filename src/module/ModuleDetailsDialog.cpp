#include "module/ModuleDetailsDialog.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "device/KestrinApi.h"
#include "module/ModuleOTADialog.h"
#include "module/ModuleProductNames.h"
#include "module/ModuleRecordWriter.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "project/ProjectStepResult.h"
#include "store/StoreUtils.h"
#include "widgets/BaseDialog.h"
#include "widgets/MessageDialog.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace OV {

namespace {

constexpr const char* kTag = "ModuleDetailsDialog";
constexpr int kApplicationVersionDevice = 0;
constexpr int kApplicationVersionProperty = 5;

QPushButton* makeOpButton(const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QStringLiteral("opButton"));
    button->setFixedSize(60, 24);
    return button;
}

} // namespace

ModuleDetailsDialog::ModuleDetailsDialog(std::shared_ptr<ProjectDbModuleBean> module, QWidget* parent)
    : BaseWindow(parent), m_module(std::move(module))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setTitle(tr("Module Details"));
    setFixedWindowSize(500, 300);
    m_sn = m_module->sn.toUtf8();
    m_device = ProjectManager::instance()->getCurrentKestrin();

    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(10, 10, 10, 0);
    layout->setSpacing(0);

    const auto addRow = [&](const QString& title, const QString& value, QPushButton* button) {
        auto* row = new QWidget(content);
        auto* rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 10, 0);
        auto* titleLabel = new QLabel(title, row);
        titleLabel->setObjectName(QStringLiteral("rowTitle"));
        titleLabel->setFixedSize(80, 40);
        titleLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        // Names and versions from the module record and the hub.
        auto* valueLabel = new QLabel(value, row);
        valueLabel->setTextFormat(Qt::PlainText);
        valueLabel->setFixedSize(250, 40);
        valueLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        valueLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
        rowLayout->addWidget(titleLabel);
        rowLayout->addWidget(valueLabel);
        rowLayout->addStretch();
        if (button) {
            button->setParent(row);
            rowLayout->addWidget(button);
        }
        layout->addWidget(row);
        auto* divider = new QFrame(content);
        divider->setObjectName(QStringLiteral("divider"));
        layout->addWidget(divider);
        return valueLabel;
    };

    QPushButton* editButton = makeOpButton(tr("Edit"), content);
    QPushButton* otaButton = makeOpButton(tr("OTA"), content);
    m_nameLabel = addRow(tr("Name:"), m_module->name, editButton);
    m_productLabel = addRow(tr("ProductId:"), ModuleProductNames::typeName(m_module->productId), nullptr);
    addRow(tr("Device ID:"), m_module->sn, nullptr);
    addRow(tr("Net ID:"), QString::number(m_module->netId), nullptr);
    m_versionLabel = addRow(tr("App Ver:"), QStringLiteral("--"), otaButton);
    layout->addStretch();
    setContentWidget(content);

    connect(editButton, &QPushButton::clicked, this, &ModuleDetailsDialog::onClickRename);
    connect(otaButton, &QPushButton::clicked, this, &ModuleDetailsDialog::onClickOTA);
}

void ModuleDetailsDialog::showEvent(QShowEvent* event)
{
    BaseWindow::showEvent(event);
    readVersion();
}

void ModuleDetailsDialog::onThemeChanged(ThemeLoader* loader)
{
    setStyleSheet(loader->load(QStringLiteral("module_details_dialog")));
}

void ModuleDetailsDialog::readVersion()
{
    if (!m_device)
        return;
    const QPointer<ModuleDetailsDialog> self(this);
    KestrinApi::readProperty(m_device, m_sn.toStdString(), kApplicationVersionDevice, kApplicationVersionProperty,
                             std::string(), [self](const BaseResult<nlohmann::json>& result) {
                                 // A reply after the window closed has nowhere to go.
                                 if (!self || !result.isOk() || !result.data || !result.data->is_string())
                                     return;
                                 self->m_versionLabel->setText(OV::fromStdText(result.data->get<std::string>()));
                             });
}

void ModuleDetailsDialog::onClickRename()
{
    if (m_renameDialog) {
        m_renameDialog->raise();
        return;
    }
    auto* dialog = new BaseDialog();
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setTitle(tr("Rename"));
    dialog->setFixedWindowSize(300, 180);
    dialog->button1->hide();
    dialog->button2->setText(tr("Rename"));
    dialog->button2->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("primary_button")));
    dialog->button3->setText(tr("Cancel"));

    auto* content = new QWidget(dialog);
    auto* row = new QHBoxLayout(content);
    row->setSpacing(10);
    row->addWidget(new QLabel(tr("New Name"), content));
    auto* edit = new QLineEdit(m_module->name, content);
    edit->setFixedHeight(32);
    edit->setMaxLength(64);
    row->addWidget(edit, 1);
    dialog->setContentWidget(content);

    const QPointer<ModuleDetailsDialog> self(this);
    dialog->button2Handler = [self, edit](BaseDialog&) {
        if (self)
            self->rename(edit->text());
    };
    dialog->button3Handler = [](BaseDialog& d) { d.close(); };
    m_renameDialog = dialog;
    m_renameEdit = edit;
    dialog->show();
}

void ModuleDetailsDialog::rename(const QString& text)
{
    const QString name = text.trimmed();
    if (name.isEmpty()) {
        MessageDialog::error(tr("[New Name] is empty"), true);
        return;
    }
    // The dialog owns the name; the shared record takes it only once it is stored.
    const auto updated = ModuleRecordWriter::write(
        m_module->id, [&name](ProjectDbModuleBean& fresh) { fresh.name = name; }, ModuleRecordWriter::storeRecord());
    if (!updated.isOk()) {
        MessageDialog::error(formatErrorDetails(updated), true);
        return;
    }
    ModuleRecordWriter::refresh(*m_module, **updated.data);
    Logger::info(kTag, "module[%s] renamed", m_sn.constData());
    if (m_renameDialog)
        m_renameDialog->close();
    m_nameLabel->setText(name);
    if (finishedHandler)
        finishedHandler();
}

void ModuleDetailsDialog::onClickOTA()
{
    auto* ota = new ModuleOTADialog(m_module, nullptr);
    ota->setAttribute(Qt::WA_DeleteOnClose);
    ota->setWindowModality(Qt::ApplicationModal);
    const QPointer<ModuleDetailsDialog> self(this);
    ota->setClosedHandler([self] {
        if (self)
            self->show();
    });
    m_otaDialog = ota;
    ota->show();
    hide();
}

} // namespace OV
