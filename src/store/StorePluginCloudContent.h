#pragma once

#include "store/StoreCategoryContentWidget.h"

#include <QByteArray>
#include <QString>

#include <vector>

class QFlowLayout;
class QLabel;

namespace OV {

class PluginCloudItem;

// The cloud listing of plug-ins, twenty tiles a page, made once and reused for every page.
// A reply moves the page selector to the page it names (clamped); when that differs from the
// page asked for, that page is asked for once, never again for a follow-up's reply. A failed
// listing shows a notice.
class StorePluginCloudContent : public StoreCategoryContentWidget
{
    Q_OBJECT
public:
    static constexpr int kPageSize = 20;
    static constexpr int kRequestTimeoutMs = 8000;
    static constexpr const char* kListPath = "/api/v1/base-service/pub/plugin/page";

    explicit StorePluginCloudContent(QWidget* parent = nullptr);

    void requestPage(int page) override;
    void asyncRequestData();

    // For tests: a shorter listing time-out than kRequestTimeoutMs.
    void setRequestTimeout(int ms) { m_requestTimeoutMs = ms; }

    const std::vector<PluginCloudItem*>& items() const { return m_items; }
    QLabel* noticeLabel() const { return m_notice; }
    int requestedPage() const { return m_page; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void handleReply(const QByteArray& body, bool followUp);
    void showNotice(const QString& detail);

    std::vector<PluginCloudItem*> m_items;
    QFlowLayout* m_flow = nullptr;
    QLabel* m_notice = nullptr;
    int m_page = 0;
    int m_requestTimeoutMs = kRequestTimeoutMs;
    quint64 m_request = 0;
    // Set just before asking for the page a reply named: that request's reply asks for no other.
    bool m_followUp = false;
};

} // namespace OV
