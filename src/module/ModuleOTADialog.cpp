#include "module/ModuleOTADialog.h"

#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "device/KestrinApi.h"
#include "module/ModuleProductNames.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectManager.h"
#include "widgets/MessageDialog.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace OV {

namespace {

constexpr const char* kTag = "ModuleOTADialog";

ModuleOTADialog::FileChooser& fileChooser()
{
    static ModuleOTADialog::FileChooser chooser;
    return chooser;
}

ModuleOtaSender::Timings& senderTimings()
{
    static ModuleOtaSender::Timings timings;
    return timings;
}

} // namespace

void ModuleOTADialog::setFileChooser(FileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

void ModuleOTADialog::setSenderTimings(const ModuleOtaSender::Timings& timings)
{
    senderTimings() = timings;
}

ModuleOTADialog::ModuleOTADialog(std::shared_ptr<ProjectDbModuleBean> module, QWidget* parent)
    : BaseWindow(parent), m_module(std::move(module)), m_timings(senderTimings())
{
    m_epSn = m_module->sn.toUtf8();
    m_productId = uint32_t(m_module->productId);
    m_gatewayType = m_module->gatewayType;
    m_packSize = ModuleOtaSender::packSizeFor(m_gatewayType);

    setFixedWindowSize(500, 300);
    hideMinimizeButton();
    setTitle(tr("%1 OTA ").arg(ModuleProductNames::modelName(m_module->productId)));

    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(0);

    auto* fileRow = new QHBoxLayout();
    fileRow->setContentsMargins(0, 0, 0, 0);
    fileRow->setSpacing(10);
    fileRow->setAlignment(Qt::AlignVCenter);
    auto* fileLabel = new QLabel(tr("OTA File"), content);
    fileLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    fileLabel->setFixedHeight(40);
    m_pathEdit = new QLineEdit(content);
    m_pathEdit->setFixedHeight(32);
    m_pathEdit->setEnabled(false);
    m_pathEdit->setPlaceholderText(tr("Choose an OTA bin file"));
    m_chooseButton = new QPushButton(tr("Choose"), content);
    m_chooseButton->setFixedHeight(32);
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(m_pathEdit, 1);
    fileRow->addWidget(m_chooseButton);
    layout->addLayout(fileRow);

    auto* progressHolder = new QVBoxLayout();
    progressHolder->setContentsMargins(0, 10, 0, 10);
    m_progress = new QProgressBar(content);
    m_progress->setRange(0, ModuleOtaSender::kProgressMaximum);
    m_progress->setValue(0);
    m_progress->setFixedHeight(10);
    m_progress->setTextVisible(false);
    progressHolder->addWidget(m_progress);
    layout->addLayout(progressHolder);

    auto* statusRow = new QHBoxLayout();
    statusRow->setContentsMargins(0, 10, 10, 10);
    statusRow->setSpacing(10);
    // Shows the version name read from the update file.
    m_status = new QLabel(content);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setObjectName(QStringLiteral("statusLabel"));
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusRow->addWidget(m_status, 1);
    layout->addLayout(statusRow);
    layout->addStretch();

    auto* buttonRow = new QHBoxLayout();
    buttonRow->setContentsMargins(0, 0, 0, 0);
    buttonRow->setSpacing(10);
    buttonRow->setAlignment(Qt::AlignRight);
    m_startButton = new QPushButton(tr("Start OTA"), content);
    m_startButton->setEnabled(false);
    buttonRow->addWidget(m_startButton);
    layout->addLayout(buttonRow);
    setContentWidget(content);

    connect(m_chooseButton, &QPushButton::clicked, this, &ModuleOTADialog::chooseOtaFile);
    connect(m_startButton, &QPushButton::clicked, this, &ModuleOTADialog::startOTA);
}

void ModuleOTADialog::onThemeChanged(ThemeLoader* loader)
{
    setStyleSheet(loader->load(QStringLiteral("module_details_dialog")));
    m_startButton->setStyleSheet(loader->load(QStringLiteral("primary_button")));
}

void ModuleOTADialog::closeEvent(QCloseEvent* event)
{
    // The module is mid-update: the window stays until the sender ended.
    if (m_upgrading) {
        event->ignore();
        return;
    }
    BaseWindow::closeEvent(event);
}

QString ModuleOTADialog::resultText(const ErrorCode& error, const QString& detail)
{
    const QString message = tr(error.text);
    if (detail.isEmpty())
        return message;
    return tr("%1, details: %2").arg(message, detail);
}

void ModuleOTADialog::chooseOtaFile()
{
    const QString path = fileChooser() ? fileChooser()()
                                       : QFileDialog::getOpenFileName(this, tr("Choose Project File"), QDir::homePath(),
                                                                      tr("OTA File (*.bin)"));
    if (path.isEmpty())
        return;
    loadFile(path);
}

void ModuleOTADialog::loadFile(const QString& path)
{
    QFile file(path);
    const qint64 size = QFileInfo(path).size();
    if (size > OtaFileInfo::kMaxFileSize) {
        MessageDialog::error(tr("Invalid ota file size:%1").arg(size), true);
        return;
    }
    // One read, bounded: the file may have grown since its size was taken.
    if (!file.open(QIODevice::ReadOnly)) {
        MessageDialog::error(resultText(Errors::ReadFailed, file.errorString()), true);
        return;
    }
    const QByteArray bytes = file.read(OtaFileInfo::kMaxFileSize + 1);
    BaseResult<OtaFileInfo> parsed = parseOtaFile(bytes, m_productId);
    if (!parsed.isOk()) {
        MessageDialog::error(resultText(parsed.error, parsed.message), true);
        return;
    }
    m_file = std::move(*parsed.data);
    // The field is kept whole; shown, it ends at its padding, and a name that fills all 16
    // bytes has none.
    const qsizetype nul = m_file->versionName.indexOf('\0');
    const QByteArray versionText = nul < 0 ? m_file->versionName : m_file->versionName.left(nul);
    m_pathEdit->setText(path);
    // One substitution for all four: a "%1" inside the file's name stays text.
    m_status->setText(tr("Version Name: %1\nVersion Code: %2\nFile Size: %3 KB, \nMD5: %4")
                          .arg(QString::fromUtf8(versionText), QString::number(m_file->versionCode),
                               QString::number(m_file->data.size() / 1024), m_file->fileMD5));
    m_startButton->setEnabled(true);
}

void ModuleOTADialog::startOTA()
{
    if (!m_file)
        return;
    const std::shared_ptr<KestrinDevice> hub = ProjectManager::instance()->getCurrentKestrin();
    if (!hub) {
        MessageDialog::error(tr("No Kestrin Added"), true);
        return;
    }
    setUpgrading(true);
    const QPointer<ModuleOTADialog> self(this);
    KestrinApi::startEpOTA(hub, m_gatewayType.toStdString(), m_epSn.toStdString(), int(m_file->data.size()), m_packSize,
                           m_file->fileMD5.toStdString(), [self, hub](const BaseResult<int>& result) {
                               if (!self)
                                   return;
                               if (!result.isOk() || !result.data) {
                                   self->setUpgrading(false);
                                   MessageDialog::error(resultText(result.error, result.message), true);
                                   return;
                               }
                               switch (*result.data) {
                               case 0:
                                   self->sendOTADAta(hub);
                                   return;
                               case 1:
                                   self->setUpgrading(false);
                                   MessageDialog::error(tr("Reboot module timeout."), true);
                                   return;
                               case 2:
                                   self->setUpgrading(false);
                                   MessageDialog::error(tr("Start OTA timeout."), true);
                                   return;
                               default:
                                   self->setUpgrading(false);
                                   MessageDialog::error(tr("Unknown error."), true);
                                   return;
                               }
                           });
}

void ModuleOTADialog::sendOTADAta(std::shared_ptr<KestrinDevice> hub)
{
    if (!m_file)
        return;
    const QPointer<ModuleOTADialog> self(this);
    ModuleOtaSender::Callbacks callbacks;
    callbacks.onProgress = [self](int progress) {
        if (self)
            self->m_progress->setValue(progress);
    };
    callbacks.onFailed = [self](int result) {
        if (self)
            MessageDialog::error(ModuleOtaSender::errorText(result), true);
    };
    callbacks.onFinished = [self](int result) {
        if (!self)
            return;
        if (result == 0) {
            Logger::info(kTag, "upgrade of %s succeeded", self->m_epSn.constData());
            MessageDialog::information(tr("Upgrade succeeded."), true);
        }
        self->setUpgrading(false);
    };
    ModuleOtaSender::start(hub, m_gatewayType.toStdString(), m_file->data, m_packSize, std::move(callbacks), m_timings);
}

void ModuleOTADialog::setUpgrading(bool on)
{
    if (m_upgrading == on)
        return;
    m_upgrading = on;
    m_progress->setValue(0);
    m_chooseButton->setEnabled(!on);
    m_startButton->setEnabled(!on && m_file.has_value());
    if (on)
        hideCloseButton();
    else
        showCloseButton();
}

} // namespace OV
