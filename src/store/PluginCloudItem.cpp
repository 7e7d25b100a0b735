#include "store/PluginCloudItem.h"
#include "core/Utils.h"

#include "core/AppDirs.h"
#include "core/EventBus.h"
#include "core/FileUtils.h"
#include "core/Logger.h"
#include "project/ProjectDbPluginBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectPluginUseCase.h"
#include "store/BaseDownloadDialog.h"
#include "store/StoreFileUtils.h"
#include "store/StoreUtils.h"
#include "store/StoreWindow.h"
#include "store/ZipUtils.h"
#include "widgets/BaseWidget.h"
#include "widgets/ElidedLabel.h"
#include "widgets/MessageDialog.h"
#include "widgets/ToastWidget.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextLayout>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>

namespace OV {

namespace {

constexpr const char* kTag = "PluginCloudItem";
const QString kErrorPicture = QStringLiteral(":/image/image_load_error.png");

QString requiredText(const nlohmann::json& record, const char* key)
{
    return OV::fromStdText(record.at(key).get<std::string>());
}

QString optionalText(const nlohmann::json& record, const char* key, const QString& fallback)
{
    if (!record.contains(key) || record[key].is_null())
        return fallback;
    return OV::fromStdText(record[key].get<std::string>());
}

int requiredInt(const nlohmann::json& record, const char* key)
{
    const nlohmann::json& value = record.at(key);
    if (!value.is_number_integer())
        throw std::invalid_argument(std::string("not an integer: ") + key);
    const auto number = value.get<int64_t>();
    if (number < INT32_MIN || number > INT32_MAX)
        throw std::out_of_range(std::string("out of range: ") + key);
    return int(number);
}

bool isWebAddress(const QString& address)
{
    const QUrl url(address);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

// The SHA-256 of a file as lower-case hex; empty when it cannot be read.
QString fileSha256(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return QString::fromLatin1(hash.result().toHex());
}

// A listed checksum must match what arrived, and the package must be one that unpacks. A file
// over the size limit is left to the install, which reports it in its own words.
BaseResult<void> checkPackage(const QString& path, const QString& sha256)
{
    const QString expected = sha256.trimmed();
    if (!expected.isEmpty() && fileSha256(path).compare(expected, Qt::CaseInsensitive) != 0)
        return BaseResult<void>(
            Errors::InvalidArgument,
            QCoreApplication::translate("OV::PluginCloudItem", "the downloaded package does not match its sha256"));
    QString why;
    if (fileSize(path) <= uint64_t(kStoreFileLimit) && !verifyPackage(readFile(path), &why))
        return BaseResult<void>(
            Errors::ReadFailed,
            QCoreApplication::translate("OV::PluginCloudItem", "invalid plugin package: %1").arg(why));
    return {};
}

// The open project's plug-ins; null while no project is open.
std::shared_ptr<ProjectPluginUseCase> pluginUseCase()
{
    ProjectManager* manager = ProjectManager::instance();
    if (manager->projectFileInfo().filePath().isEmpty())
        return {};
    return manager->getPluginUseCase();
}

QLabel* captionRow(QVBoxLayout* column, QWidget* parent, const QString& caption, ElidedLabel** value)
{
    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QStringLiteral("storePluginItemNameLabel"));
    *value = new ElidedLabel(parent);
    (*value)->setObjectName(QStringLiteral("storePluginItemNameLabel"));
    row->addWidget(label);
    row->addWidget(*value, 1);
    column->addLayout(row);
    return label;
}

void setElided(ElidedLabel* label, const QString& text)
{
    label->fullText = text;
    label->updateText();
}

} // namespace

PluginCloudItem::PluginCloudItem(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("storePluginItem"));
    setAttribute(Qt::WA_StyledBackground);
    setFixedSize(280, 200);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);

    auto* top = new QHBoxLayout();
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(16);
    top->setAlignment(Qt::AlignVCenter);
    m_icon = new BaseWidget(this);
    m_icon->setObjectName(QStringLiteral("storePluginItemIcon"));
    m_icon->setFixedSize(90, 90);
    m_icon->setSelectable(false);
    top->addWidget(m_icon);
    auto* texts = new QVBoxLayout();
    texts->setContentsMargins(0, 4, 0, 4);
    texts->setSpacing(0);
    m_nameLabel = new ElidedLabel(this);
    m_nameLabel->setObjectName(QStringLiteral("storePluginItemNameLabel"));
    texts->addWidget(m_nameLabel);
    captionRow(texts, this, tr("Type:"), &m_typeLabel);
    captionRow(texts, this, tr("Author:"), &m_authorLabel);
    captionRow(texts, this, tr("Version:"), &m_versionLabel);
    top->addLayout(texts, 1);
    column->addLayout(top);

    m_descLabel = new QLabel(this);
    m_descLabel->setTextFormat(Qt::PlainText);
    m_descLabel->setObjectName(QStringLiteral("storePluginItemDesc"));
    m_descLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    column->addWidget(m_descLabel, 1);

    auto* bottom = new QWidget(this);
    bottom->setFixedHeight(28);
    auto* bottomRow = new QHBoxLayout(bottom);
    bottomRow->setContentsMargins(0, 0, 0, 0);
    m_installedLabel = new QLabel(tr("Installed"), bottom);
    m_installedLabel->setStyleSheet(QStringLiteral("color:#57965c"));
    m_installedLabel->hide();
    bottomRow->addWidget(m_installedLabel);
    bottomRow->addStretch(1);
    m_installButton = new QPushButton(tr("Install"), bottom);
    m_installButton->setObjectName(QStringLiteral("primaryButton"));
    m_installButton->setFixedHeight(28);
    bottomRow->addWidget(m_installButton);
    column->addWidget(bottom);

    connect(m_installButton, &QPushButton::clicked, this, [this] {
        Logger::info(kTag, "btnInstall clicked");
        downloadPluginFile();
    });
}

QString PluginCloudItem::nameText() const
{
    return m_nameLabel->fullText;
}

QString PluginCloudItem::typeText() const
{
    return m_typeLabel->fullText;
}

void PluginCloudItem::reset()
{
    m_record = nullptr;
    m_identifier.clear();
}

void PluginCloudItem::setData(const nlohmann::json& record)
{
    m_record = record;
    m_identifier.clear();
    m_installedLabel->hide();
    const QString dash = QStringLiteral("--");
    m_identifier = requiredText(record, "identifier");
    m_sha256 = requiredText(record, "sha256");
    m_fileUrl = requiredText(record, "file");
    m_versionName = requiredText(record, "versionName");
    m_versionCode = requiredInt(record, "versionCode");
    m_pluginType = requiredInt(record, "pluginType");
    m_iconUrl = optionalText(record, "icon", QString());
    m_name = optionalText(record, "name", dash);
    m_author = optionalText(record, "author", dash);
    m_desc = optionalText(record, "desc", dash);
    m_official = false;
    // A tile reused while the download of its earlier plug-in is open still offers this one.
    m_installButton->setEnabled(m_downloading != m_identifier);

    setElided(m_nameLabel, m_name);
    setElided(m_typeLabel, m_pluginType != 0 ? tr("Images") : tr("Widgets"));
    setElided(m_authorLabel, m_author);
    setElided(m_versionLabel, m_versionName);
    // Only a web address is fetched: a listing cannot make the store read local files.
    if (isWebAddress(m_iconUrl)) {
        StoreUtils::loadIcon(m_icon, m_iconUrl, false);
    } else {
        StoreUtils::loadIcon(m_icon, QString(), false);
        m_icon->setBackgroundImage(kErrorPicture);
    }
    m_descLabel->setText(elideDescription(m_desc, m_descLabel->font(), width() - 30, kDescriptionHeight));
    updateInstallState();
}

QString PluginCloudItem::elideDescription(const QString& text, const QFont& font, int lineWidth, int maxHeight)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    QString shown;
    int height = 0;
    bool taken = false;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(lineWidth);
        const int next = int(height + line.height());
        if (next > maxHeight) {
            if (taken) {
                shown.chop(1);
                shown += QStringLiteral("...");
            }
            break;
        }
        height = next;
        shown += text.mid(line.textStart(), line.textLength()) + QLatin1Char('\n');
        taken = true;
    }
    layout.endLayout();
    return shown.trimmed();
}

void PluginCloudItem::updateInstallState()
{
    BaseResult<bool> exists(Errors::NotInitialized);
    try {
        if (const auto plugins = pluginUseCase())
            exists = plugins->exists(m_identifier);
    } catch (const std::exception& e) {
        exists = BaseResult<bool>(Errors::Unknown, QString::fromUtf8(e.what()));
    }
    const bool installed = exists.isOk() && *exists.data;
    m_installButton->setVisible(!installed);
    m_installedLabel->setVisible(installed);
    if (!exists.isOk()) {
        const QString text = QCoreApplication::translate("OV::ErrorCode", exists.text());
        const QString shown = exists.message.isEmpty() ? text : tr("%1, details: %2").arg(text, exists.message);
        Logger::error(kTag, "updateInstallState error: %s", shown.toUtf8().constData());
    }
}

void PluginCloudItem::downloadPluginFile()
{
    // The identifier names files; the package address must be a web address.
    if (!isSafePathComponent(m_identifier)) {
        MessageDialog::error(formatErrorDetails(BaseResult<void>(Errors::InvalidArgument,
                                                                 QStringLiteral("invalid identifier:") + m_identifier)),
                             true);
        return;
    }
    if (!isWebAddress(m_fileUrl)) {
        MessageDialog::error(formatErrorDetails(BaseResult<void>(Errors::InvalidArgument,
                                                                 QStringLiteral("invalid address:") + m_fileUrl)),
                             true);
        return;
    }
    QString target;
    try {
        target = AppDirs::tempDir() + QLatin1Char('/') + m_identifier + QStringLiteral(".zip");
    } catch (const std::exception& e) {
        MessageDialog::error(formatErrorDetails(BaseResult<void>(Errors::IoError, QString::fromUtf8(e.what()))), true);
        return;
    }
    m_installButton->setEnabled(false);
    m_downloading = m_identifier;
    auto* dialog = new BaseDownloadDialog(nullptr);
    dialog->url = QUrl(m_fileUrl);
    dialog->filePath = target;
    QPointer<PluginCloudItem> self(this);
    QPointer<BaseDownloadDialog> download(dialog);
    const QString identifier = m_identifier;
    dialog->onFinished = [self, download, identifier](int code) {
        if (!self)
            return;
        if (self->m_downloading == identifier)
            self->m_downloading.clear();
        if (self->m_record.is_null() || self->m_identifier != identifier)
            return;
        self->installPlugin(code, download ? download->failureReason() : QString());
    };
    dialog->show();
    dialog->start();
}

void PluginCloudItem::installPlugin(int code, const QString& failureReason)
{
    if (code == BaseDownloadDialog::Failed) {
        // The download dialog is gone by the time this is read: the cause travels with it.
        MessageDialog::error(failureReason.isEmpty() ? tr("download failed")
                                                     : tr("download failed. Details: %1").arg(failureReason),
                             true);
        m_installButton->setEnabled(true);
        return;
    }
    if (code != BaseDownloadDialog::Completed) {
        m_installButton->setEnabled(true);
        return;
    }
    try {
        const QString target = AppDirs::tempDir() + QLatin1Char('/') + m_identifier + QStringLiteral(".zip");
        const auto plugins = pluginUseCase();
        BaseResult<void> result = plugins ? checkPackage(target, m_sha256)
                                          : BaseResult<void>(Errors::NotInitialized, tr("no project is open"));
        if (result.isOk()) {
            ProjectDbPluginBean bean;
            bean.k1 = m_identifier;
            bean.k2 = QString::number(m_pluginType);
            bean.pluginType = m_pluginType;
            bean.icon = m_iconUrl;
            bean.name = m_name;
            bean.author = m_author;
            bean.desc = m_desc;
            bean.versionName = m_versionName;
            bean.versionCode = m_versionCode;
            bean.official = 0;
            const QPixmap icon = m_icon->backgroundPixmap();
            result = plugins->saveOrUpdate(bean, icon, target);
        }
        if (result.isOk()) {
            EventBus::instance()->publish(
                QSharedPointer<EventBusMessage>::create(QString::fromLatin1(Topics::PluginInstalled)));
            ToastWidget::showInfo(StoreWindow::instance(), tr("Install successful"), true, kToastMs);
        } else {
            MessageDialog::error(formatErrorDetails(result), true);
        }
        removeFile(target);
        m_installButton->setEnabled(true);
        updateInstallState();
    } catch (const std::exception& e) {
        Logger::info(kTag, "Install error:%s", e.what());
        MessageDialog::error(tr("unknown error"), true);
        m_installButton->setEnabled(true);
        updateInstallState();
    }
}

} // namespace OV
