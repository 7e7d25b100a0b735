#pragma once

#include "widgets/BaseDialog.h"

#include <QString>
#include <QUrl>

#include <functional>

class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class QProgressBar;
class QSaveFile;

namespace OV {

// Downloads one URL into one file with a status line and a progress bar, and reports the
// outcome exactly once through onFinished: 0 completed, 1 failed, 2 cancelled. The file is
// written through a QSaveFile and appears only when the download completed.
class BaseDownloadDialog : public BaseDialog
{
    Q_OBJECT
public:
    static constexpr qint64 kMaxFileSize = 0xA00000;
    static constexpr int kCloseDelayMs = 300;

    enum Result {
        Completed = 0,
        Failed = 1,
        Cancelled = 2,
    };

    explicit BaseDownloadDialog(QWidget* parent = nullptr);
    ~BaseDownloadDialog() override;

    QUrl url;
    QString filePath;
    std::function<void(int)> onFinished;

    // Begins the transfer; the caller shows the dialog first.
    void start();

    QString statusText() const;
    // Why the download failed, for the caller's message: the dialog closes soon after a failure.
    QString failureReason() const { return m_failureReason; }
    int progress() const;

protected:
    void onThemeChanged(ThemeLoader* loader) override;
    void onButton3Clicked() override;

private:
    void showFailure(const QString& reason);
    void onProgress(qint64 received, qint64 total);
    void onReadyRead();
    qint64 announcedSize() const;
    void onReplyFinished();
    // Ends the transfer with a failure shown as the status; the reply is aborted.
    void fail(const QString& status);
    void report(int code);
    void releaseReply();

    QNetworkAccessManager* m_manager = nullptr;
    QNetworkReply* m_reply = nullptr;
    QSaveFile* m_file = nullptr;
    QLabel* m_status = nullptr;
    QString m_failureReason;
    QProgressBar* m_progressBar = nullptr;
    qint64 m_written = 0;
    bool m_reported = false;
};

} // namespace OV
