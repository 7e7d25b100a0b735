#include "store/BaseDownloadDialog.h"

#include "core/FileUtils.h"
#include "core/Logger.h"
#include "core/ThemeLoader.h"

#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QTimer>
#include <QVBoxLayout>

namespace OV {

namespace {
constexpr const char* kTag = "BaseDownloadDialog";
}

BaseDownloadDialog::BaseDownloadDialog(QWidget* parent) : BaseDialog(parent)
{
    hideTitleBar();
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedWindowSize(500, 160);
    m_manager = new QNetworkAccessManager(this);

    auto* content = new QWidget(this);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(12);
    // A failure is shown with its reason, which may quote the server.
    m_status = new QLabel(tr("Ready to download"), content);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setObjectName(QStringLiteral("downloadStatus"));
    m_status->setWordWrap(true);
    m_progressBar = new QProgressBar(content);
    m_progressBar->setFixedHeight(16);
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    column->addWidget(m_status);
    column->addWidget(m_progressBar);
    setContentWidget(content);

    button1->hide();
    button2->hide();
    button3->setObjectName(QStringLiteral("redButton"));
    button3->setText(tr("Cancel"));
}

BaseDownloadDialog::~BaseDownloadDialog()
{
    // A dialog closed some other way while the transfer runs counts as cancelled.
    if (m_reply && !m_reported)
        report(Cancelled);
    releaseReply();
}

QString BaseDownloadDialog::statusText() const
{
    return m_status->text();
}

void BaseDownloadDialog::showFailure(const QString& reason)
{
    m_failureReason = reason;
    m_status->setText(tr("Error: ") + reason);
}

int BaseDownloadDialog::progress() const
{
    return m_progressBar->value();
}

void BaseDownloadDialog::onThemeChanged(ThemeLoader* loader)
{
    setStyleSheet(loader->load(QStringLiteral("base")) + loader->load(QStringLiteral("download_dialog")));
}

void BaseDownloadDialog::start()
{
    m_status->setText(tr("Starting..."));
    m_progressBar->setValue(0);
    m_written = 0;
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        showFailure(tr("unsupported address"));
        report(Failed);
        return;
    }
    delete m_file;
    m_file = new QSaveFile(filePath, this);
    m_file->setDirectWriteFallback(false);
    if (filePath.isEmpty() || !m_file->open(QIODevice::WriteOnly)) {
        m_failureReason = tr("Cannot open file");
        m_status->setText(m_failureReason);
        report(Failed);
        return;
    }
    m_reply = m_manager->get(QNetworkRequest(url));
    connect(m_reply, &QNetworkReply::downloadProgress, this, &BaseDownloadDialog::onProgress);
    // The reply's own progress signal is throttled; the announced size is checked at once.
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] { onProgress(m_written, announcedSize()); });
    connect(m_reply, &QNetworkReply::readyRead, this, &BaseDownloadDialog::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &BaseDownloadDialog::onReplyFinished);
}

void BaseDownloadDialog::onProgress(qint64 received, qint64 total)
{
    if (m_reported)
        return;
    if (total > kMaxFileSize) {
        fail(tr("file too large"));
        return;
    }
    if (total < 1 || (m_reply && m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() >= 400))
        return;
    const int percent = int(double(received) * 100.0 / double(total));
    m_progressBar->setValue(percent);
    m_status->setText(tr("Downloading %1%").arg(percent));
}

void BaseDownloadDialog::onReadyRead()
{
    if (m_reported || !m_reply)
        return;
    const QByteArray bytes = m_reply->readAll();
    // An error page is no part of the file and no progress of it.
    if (bytes.isEmpty() || m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() >= 400)
        return;
    if (m_written + bytes.size() > kMaxFileSize) {
        fail(tr("file too large"));
        return;
    }
    if (m_file->write(bytes) != bytes.size()) {
        fail(m_file->errorString());
        return;
    }
    m_written += bytes.size();
    onProgress(m_written, announcedSize());
}

qint64 BaseDownloadDialog::announcedSize() const
{
    if (!m_reply)
        return -1;
    bool ok = false;
    const qint64 size = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&ok);
    return ok ? size : -1;
}

void BaseDownloadDialog::onReplyFinished()
{
    if (m_reported || !m_reply) {
        releaseReply();
        return;
    }
    onReadyRead();
    if (m_reported)
        return;
    if (m_reply->error() != QNetworkReply::NoError) {
        const QString error = m_reply->errorString();
        releaseReply();
        m_file->cancelWriting();
        m_file->commit();
        showFailure(error);
        report(Failed);
    } else if (QString error; !commitSaveFile(*m_file, &error)) {
        releaseReply();
        showFailure(error);
        report(Failed);
    } else {
        releaseReply();
        m_status->setText(tr("Completed"));
        m_progressBar->setValue(100);
        report(Completed);
    }
    QTimer::singleShot(kCloseDelayMs, this, &QWidget::close);
}

void BaseDownloadDialog::fail(const QString& status)
{
    Logger::error(kTag, "download failed:%s", status.toUtf8().constData());
    releaseReply();
    if (m_file) {
        m_file->cancelWriting();
        m_file->commit();
    }
    showFailure(status);
    report(Failed);
    QTimer::singleShot(kCloseDelayMs, this, &QWidget::close);
}

void BaseDownloadDialog::report(int code)
{
    if (m_reported)
        return;
    m_reported = true;
    // The handler may delete things the dialog still refers to only through copies.
    const std::function<void(int)> handler = onFinished;
    if (handler)
        handler(code);
}

void BaseDownloadDialog::releaseReply()
{
    if (!m_reply)
        return;
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void BaseDownloadDialog::onButton3Clicked()
{
    if (m_reply) {
        releaseReply();
        if (m_file) {
            m_file->cancelWriting();
            m_file->commit();
        }
    }
    report(Cancelled);
    close();
}

} // namespace OV
