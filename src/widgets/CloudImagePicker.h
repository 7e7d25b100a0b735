#pragma once

#include "widgets/BaseWidget.h"
#include "widgets/BaseWindow.h"

#include <QByteArray>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QString>

#include <functional>

class QButtonGroup;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

namespace OV {

class ElidedLabel;
class ImageLoadTask;
class ImageLoader;
class PaginationWidget;

// One tile of the picker: a thumbnail centred near the top of a fixed-size frame. Only a tile
// whose picture has arrived can be chosen.
class CloudImageItem : public BaseWidget
{
    Q_OBJECT
public:
    CloudImageItem(int width, int height, int thumbnailSize, QWidget* parent = nullptr);

    bool isLoaded() const { return m_loaded; }
    QPixmap picture() const { return m_picture; }
    QString address() const { return m_address; }
    QLabel* pictureLabel() const { return m_pictureLabel; }

    // Asks the loader for the address. Only the latest request of the tile may change it: a
    // reply to an earlier one (or one from before reset()) is dropped.
    ImageLoadTask* loadImage(ImageLoader* loader, const QString& url);
    // Forgets the address and picture and shows the given placeholder picture.
    void reset(const QString& placeholder);
    // Shows a placeholder picture without touching the address.
    void showPlaceholder(const QString& placeholder);

private:
    void showScaled(const QPixmap& pixmap);

    bool m_loaded = false;
    QPixmap m_picture;
    QString m_address;
    QLabel* m_pictureLabel = nullptr;
    ElidedLabel* m_nameLabel = nullptr;
    quint64 m_loadRequest = 0;
};

// A modal window for choosing an icon or background picture from the cloud gateway's listing,
// page by page, by category and keyword.
class CloudImagePicker : public BaseWindow
{
    Q_OBJECT
public:
    using SelectionCallback = std::function<void(const QString& address, const QPixmap& picture)>;

    static constexpr int kRequestTimeoutMs = 8000;
    static constexpr int kLoaderMemoryLimitKb = 262144;
    static constexpr const char* kListPath = "/api/v1/base-service/pub/icon/v2/page";

    // An empty gateway means the configured one, read at each request.
    CloudImagePicker(QWidget* parent, int pageSize, int itemWidth, int itemHeight, int thumbnailSize,
                     const QString& gateway = QString(), int requestTimeoutMs = kRequestTimeoutMs);

    // Called with the address and picture of a loaded thumbnail the user clicks.
    void setSelectionCallback(SelectionCallback callback) { m_selectionCallback = std::move(callback); }
    const SelectionCallback& selectionCallback() const { return m_selectionCallback; }

    void requestPageData(int page, int pageSize, const QString& keyword, bool group);

    const QList<CloudImageItem*>& items() const { return m_items; }
    PaginationWidget* paginationWidget() const { return m_pagination; }
    QLineEdit* searchField() const { return m_searchField; }
    int currentPage() const { return m_currentPage; }
    int categoryIndex() const { return m_categoryIndex; }

protected:
    void onThemeChanged(ThemeLoader* loader) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* buildHeader(QWidget* content);
    void onPageReply(quint64 request, const QByteArray& body);
    void onPageFailed(quint64 request);
    void cancelThumbnails();
    void reflowGrid();
    QString projectIds() const;

    SelectionCallback m_selectionCallback;
    int m_pageSize;
    int m_itemWidth;
    int m_itemHeight;
    int m_thumbnailSize;
    QString m_gateway;
    int m_requestTimeoutMs;
    QLineEdit* m_searchField = nullptr;
    QPushButton* m_searchButton = nullptr;
    QPushButton* m_refreshButton = nullptr;
    QButtonGroup* m_categoryGroup = nullptr;
    ImageLoader* m_loader = nullptr;
    QScrollArea* m_scrollArea = nullptr;
    QWidget* m_gridContainer = nullptr;
    QGridLayout* m_grid = nullptr;
    QList<CloudImageItem*> m_items;
    PaginationWidget* m_pagination = nullptr;
    QList<QPointer<ImageLoadTask>> m_tasks;
    int m_currentPage = 1;
    QString m_lastKeyword;
    int m_categoryIndex = 0;
    int m_gridColumns = 0;

    // Numbers the page requests: only a reply to the latest one is used.
    quint64 m_pageRequest = 0;
    // A reply that moves the page selector requests that page once more; the reply to that
    // request moves the selector silently, so replies naming other pages cannot loop.
    bool m_applyingReply = false;
    bool m_followUp = false;
};

} // namespace OV
