#include "store/StorePluginCloudContent.h"
#include "core/Utils.h"

#include "core/HttpClient.h"
#include "core/Logger.h"
#include "core/Settings.h"
#include "store/PluginCloudItem.h"
#include "widgets/PaginationWidget.h"
#include "widgets/QFlowLayout.h"

#include <QLabel>
#include <QPointer>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QUrl>

#include <nlohmann/json.hpp>

#include <cmath>
#include <utility>

namespace OV {

namespace {
constexpr const char* kTag = "StorePluginCloudContent";

// A JSON integer as an int, clamped: a huge value must not wrap.
int readInt(const nlohmann::json& value)
{
    const double number = value.get<double>();
    return int(std::clamp(std::trunc(number), -2147483648.0, 2147483647.0));
}
} // namespace

StorePluginCloudContent::StorePluginCloudContent(QWidget* parent) : StoreCategoryContentWidget(parent)
{
    m_flow = new QFlowLayout(container(), 16, 20, 20);
    for (int i = 0; i < kPageSize; ++i) {
        auto* item = new PluginCloudItem(container());
        item->hide();
        m_items.push_back(item);
    }
    // The notice lies over the listing area; it is no item of the flow.
    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("storeNotice"));
    m_notice->setAlignment(Qt::AlignCenter);
    m_notice->setWordWrap(true);
    m_notice->hide();
}

void StorePluginCloudContent::resizeEvent(QResizeEvent* event)
{
    StoreCategoryContentWidget::resizeEvent(event);
    m_notice->setGeometry(scrollArea()->geometry().adjusted(16, 16, -16, -16));
}

void StorePluginCloudContent::requestPage(int page)
{
    m_page = page;
    m_followUp = false;
    asyncRequestData();
}

void StorePluginCloudContent::asyncRequestData()
{
    const quint64 request = ++m_request;
    const bool followUp = std::exchange(m_followUp, false);
    while (QLayoutItem* item = m_flow->takeAt(0))
        delete item;
    m_flow->invalidate();
    for (PluginCloudItem* item : m_items) {
        item->hide();
        item->reset();
    }
    m_notice->hide();

    const QString gateway = Settings::instance()->cloudGateway();
    const QUrl base(gateway);
    const QString scheme = base.scheme().toLower();
    if (!base.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        showNotice(tr("unsupported gateway address: %1").arg(gateway));
        return;
    }
    const std::map<QString, QString> query = {{QStringLiteral("keyword"), QString()},
                                              {QStringLiteral("pi"), QString::number(m_page)},
                                              {QStringLiteral("ps"), QString::number(kPageSize)}};
    HttpResponse* response =
        HttpClient::instance()->get(gateway + QLatin1String(kListPath), query, {}, m_requestTimeoutMs);
    QPointer<StorePluginCloudContent> self(this);
    connect(response, &HttpResponse::success, this, [self, request, followUp](const QByteArray& body) {
        if (self && request == self->m_request)
            self->handleReply(body, followUp);
    });
    connect(response, &HttpResponse::error, this, [self, request](const QString& message) {
        if (self && request == self->m_request)
            self->showNotice(message);
    });
}

void StorePluginCloudContent::handleReply(const QByteArray& body, bool followUp)
{
    int shown = 0;
    try {
        const nlohmann::json reply = nlohmann::json::parse(body.constBegin(), body.constEnd());
        Logger::debug(kTag, "%s", reply.dump().c_str());
        if (!reply.is_object() || !reply.contains("state") || reply["state"] != 200) {
            showNotice(tr("the store answered: %1")
                           .arg(OV::fromStdText(reply.is_object() && reply.contains("state") ? reply["state"].dump()
                                                                                             : std::string("?"))));
            return;
        }
        const nlohmann::json& data = reply.at("data");
        const nlohmann::json& records = data.at("records");
        const int current = readInt(data.at("current"));
        const double total = data.at("total").get<double>();
        if (!records.is_array())
            throw std::invalid_argument("records is not an array");
        const int pages = int(std::clamp(std::ceil(total / kPageSize), 1.0, 2147483647.0));
        pagination()->setTotalPages(pages);
        shown = std::clamp(current, 1, pagination()->totalPages());
        {
            // The page is set here; asking for it is decided below, once.
            const QSignalBlocker blocker(pagination());
            pagination()->setCurrentPage(shown);
        }
        for (size_t i = 0; i < records.size() && i < m_items.size(); ++i) {
            PluginCloudItem* item = m_items[i];
            item->setData(records[i]);
            item->show();
            item->setEnabled(true);
            m_flow->addWidget(item);
        }
    } catch (const std::exception& e) {
        Logger::error(kTag, "requestPageData error:%s", e.what());
        if (m_flow->count() == 0)
            showNotice(QString::fromUtf8(e.what()));
    }
    // The flow layout does not notice items coming and going by itself.
    m_flow->invalidate();
    // A reply naming another page than the one asked for: that page is asked for once.
    if (shown > 0 && shown != m_page && !followUp) {
        m_page = shown;
        m_followUp = true;
        asyncRequestData();
    }
}

void StorePluginCloudContent::showNotice(const QString& detail)
{
    Logger::error(kTag, "listing failed:%s", detail.toUtf8().constData());
    m_notice->setText(tr("The plug-in list could not be loaded.\n%1").arg(detail));
    m_notice->setGeometry(scrollArea()->geometry().adjusted(16, 16, -16, -16));
    m_notice->show();
    m_notice->raise();
}

} // namespace OV
