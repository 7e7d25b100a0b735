#include "support/StandinHubUploads.h"

#include "core/FileUtils.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QSaveFile>
#include <QTest>

namespace OV::Test {

namespace {

HttpReply answer(int state, const QString& msg)
{
    return HttpReply::json({{"state", state}, {"msg", msg.toStdString()}});
}

} // namespace

StandinHubUploads::StandinHubUploads(const QString& folder, QObject* parent)
    : QObject(parent), m_server(new StandInHttpServer(this)), m_folder(folder)
{
    m_server->route(QStringLiteral("/upload/zip"), [this](const HttpRequest& r) { return handle(r); });
    m_server->route(QStringLiteral("/upload"), [this](const HttpRequest& r) { return handle(r); });
}

bool StandinHubUploads::start()
{
    return m_server->start();
}

bool StandinHubUploads::start(const QHostAddress& address, quint16 port)
{
    return m_server->start(address, port);
}

bool StandinHubUploads::waitForUploads(int count, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (m_uploads.size() < count) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

HttpReply StandinHubUploads::handle(const HttpRequest& request)
{
    if (request.method != "POST")
        return answer(405, QStringLiteral("method not allowed"));
    Upload upload;
    upload.path = request.path;
    upload.serialNo = request.query.queryItemValue(QStringLiteral("serialNo"), QUrl::FullyDecoded);
    const HttpFormPart* file = nullptr;
    for (const HttpFormPart& part : request.parts) {
        if (part.name == QLatin1String("file")) {
            file = &part;
            break;
        }
    }
    if (file) {
        upload.fileName = file->fileName;
        upload.data = file->data;
    }

    if (!file) {
        m_uploads.append(upload);
        return answer(400, QStringLiteral("missing file"));
    }
    if (m_failure) {
        m_uploads.append(upload);
        return answer(m_failure->first, m_failure->second);
    }
    if (request.path == QLatin1String("/upload/zip"))
        return store(upload, {}, QString::fromLatin1(kAssetsName));
    if (!isSafePathComponent(upload.serialNo)) {
        m_uploads.append(upload);
        return answer(400, QStringLiteral("invalid serialNo"));
    }
    const QString name = isSafePathComponent(upload.fileName) ? upload.fileName : QStringLiteral("config.tgz");
    return store(upload, upload.serialNo, name);
}

HttpReply StandinHubUploads::store(Upload upload, const QString& subFolder, const QString& name)
{
    QDir dir(m_folder);
    if (!subFolder.isEmpty() && !dir.mkpath(subFolder)) {
        m_uploads.append(upload);
        return answer(500, QStringLiteral("cannot create folder"));
    }
    const QString path = subFolder.isEmpty() ? dir.filePath(name) : dir.filePath(subFolder + '/' + name);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(upload.data) != upload.data.size() || !out.commit()) {
        m_uploads.append(upload);
        return answer(500, QStringLiteral("write failed"));
    }
    upload.savedAs = path;
    m_uploads.append(upload);
    emit uploaded(upload);
    return answer(200, QStringLiteral("success"));
}

} // namespace OV::Test
