#include "widgets/CloudImagePicker.h"
#include "core/Utils.h"

#include "core/HttpClient.h"
#include "core/ImageLoader.h"
#include "core/Logger.h"
#include "core/Settings.h"
#include "core/ThemeLoader.h"
#include "widgets/AnchorLayout.h"
#include "widgets/AnchorLine.h"
#include "widgets/ElidedLabel.h"
#include "widgets/PaginationWidget.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkReply>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <stdexcept>

namespace OV {

namespace {

constexpr const char* kTag = "CloudImagePicker";
const QString kLoadingPicture = QStringLiteral(":/image/image_loading.png");
const QString kErrorPicture = QStringLiteral(":/image/image_load_error.png");
const QString kTransparent = QStringLiteral("border: none; background: transparent;");

// Category index -> the listing's project ids.
const char* const kCategoryProjects[] = {"20,30", "20", "30"};

// A JSON number as an int, clamped: a huge or fractional value must not be an undefined cast.
int readInt(const nlohmann::json& value)
{
    const double number = value.get<double>();
    const double low = std::numeric_limits<int>::min();
    const double high = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(std::trunc(number), low, high));
}

} // namespace

CloudImageItem::CloudImageItem(int width, int height, int thumbnailSize, QWidget* parent) : BaseWidget(parent)
{
    setObjectName(QStringLiteral("cloudImageItem"));
    setAttribute(Qt::WA_Hover);
    setFixedSize(width, height);

    m_pictureLabel = new QLabel(this);
    m_pictureLabel->setFixedSize(thumbnailSize, thumbnailSize);
    m_pictureLabel->setScaledContents(false);
    m_pictureLabel->setAlignment(Qt::AlignCenter);
    m_pictureLabel->setStyleSheet(kTransparent);

    m_nameLabel = new ElidedLabel(this);
    m_nameLabel->setAlignment(Qt::AlignCenter);
    m_nameLabel->setFixedHeight(20);
    m_nameLabel->setLineWidth(0);
    m_nameLabel->setStyleSheet(kTransparent);

    AnchorLayout* picture = AnchorLayout::get(m_pictureLabel);
    AnchorLayout* self = AnchorLayout::get(this);
    picture->horizontalCenter()->anchorTo(self->horizontalCenter());
    picture->top()->anchorTo(self->top())->setMargin(10);
    AnchorLayout* name = AnchorLayout::get(m_nameLabel);
    name->horizontalCenter()->anchorTo(self->horizontalCenter());
    name->top()->anchorTo(picture->bottom())->setMargin(0);

    setPressedCallback([this](bool pressed) {
        if (m_loaded)
            setOpacity(pressed ? 0.6f : 1.0f);
    });
}

ImageLoadTask* CloudImageItem::loadImage(ImageLoader* loader, const QString& url)
{
    const quint64 request = ++m_loadRequest;
    m_address = url;
    m_loaded = false;
    QPointer<CloudImageItem> self(this);
    return loader->load(url, [self, request](const QPixmap& pixmap) {
        if (!self || request != self->m_loadRequest)
            return;
        if (pixmap.isNull()) {
            self->m_picture = QPixmap();
            self->showScaled(QPixmap(kErrorPicture));
            return;
        }
        self->m_loaded = true;
        self->m_picture = pixmap;
        self->showScaled(pixmap);
    });
}

void CloudImageItem::reset(const QString& placeholder)
{
    ++m_loadRequest;
    m_address.clear();
    m_loaded = false;
    m_picture = QPixmap();
    if (graphicsEffect())
        setOpacity(1.0f);
    m_pictureLabel->show();
    showPlaceholder(placeholder);
}

void CloudImageItem::showPlaceholder(const QString& placeholder)
{
    showScaled(QPixmap(placeholder));
}

void CloudImageItem::showScaled(const QPixmap& pixmap)
{
    m_pictureLabel->setPixmap(pixmap.scaled(m_pictureLabel->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

CloudImagePicker::CloudImagePicker(QWidget* parent, int pageSize, int itemWidth, int itemHeight, int thumbnailSize,
                                   const QString& gateway, int requestTimeoutMs)
    : BaseWindow(parent), m_pageSize(pageSize), m_itemWidth(itemWidth), m_itemHeight(itemHeight),
      m_thumbnailSize(thumbnailSize), m_gateway(gateway), m_requestTimeoutMs(requestTimeoutMs)
{
    setTitle(tr("Image Picker"));
    setWindowModality(Qt::ApplicationModal);
    m_loader = new ImageLoader(this);
    m_loader->setMemoryLimit(kLoaderMemoryLimitKb);
    setMinimumWidth(500);

    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("cloudImagePickerContent"));
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setContentWidget(content);

    column->addWidget(buildHeader(content));

    auto* divider = new QWidget(content);
    divider->setObjectName(QStringLiteral("divider"));
    divider->setFixedHeight(2);
    column->addWidget(divider);

    m_scrollArea = new QScrollArea(content);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setAttribute(Qt::WA_TranslucentBackground);
    m_scrollArea->setStyleSheet(QStringLiteral("background: transparent;"));
    m_gridContainer = new QWidget(m_scrollArea);
    m_gridContainer->setObjectName(QStringLiteral("cloudImageGrid"));
    m_grid = new QGridLayout(m_gridContainer);
    m_grid->setContentsMargins(16, 16, 16, 16);
    m_grid->setSpacing(24);
    m_grid->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    m_scrollArea->setWidget(m_gridContainer);
    column->addWidget(m_scrollArea, 1);

    for (int i = 0; i < m_pageSize; ++i) {
        auto* item = new CloudImageItem(m_itemWidth, m_itemHeight, m_thumbnailSize, m_gridContainer);
        connect(item, &BaseWidget::clicked, this, [this, item] {
            if (item->isLoaded() && m_selectionCallback)
                m_selectionCallback(item->address(), item->picture());
        });
        m_items.append(item);
    }
    reflowGrid();

    auto* divider2 = new QWidget(content);
    divider2->setObjectName(QStringLiteral("divider"));
    divider2->setFixedHeight(2);
    column->addWidget(divider2);

    auto* footer = new QWidget(content);
    footer->setFixedHeight(60);
    auto* footerRow = new QHBoxLayout(footer);
    footerRow->setContentsMargins(16, 0, 16, 0);
    footerRow->setSpacing(0);
    footerRow->addStretch(1);
    m_pagination = new PaginationWidget(footer);
    m_pagination->setFixedHeight(60);
    footerRow->addWidget(m_pagination);
    column->addWidget(footer);

    connect(m_pagination, &PaginationWidget::pageChanged, this, [this](int page) {
        m_searchField->setText(m_lastKeyword);
        const bool followUp = m_applyingReply;
        requestPageData(page, m_pageSize, m_lastKeyword, false);
        m_followUp = followUp;
    });
}

QWidget* CloudImagePicker::buildHeader(QWidget* content)
{
    auto* header = new QWidget(content);
    header->setObjectName(QStringLiteral("cloudImageHeader"));
    header->setFixedHeight(60);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(40, 0, 40, 0);

    auto* categories = new QWidget(header);
    categories->setFixedHeight(60);
    auto* categoryRow = new QHBoxLayout(categories);
    categoryRow->setContentsMargins(0, 0, 0, 0);
    m_categoryGroup = new QButtonGroup(this);
    m_categoryGroup->setExclusive(true);
    const QString names[] = {tr("All"), tr("Icon"), tr("Background")};
    for (int index = 0; index < 3; ++index) {
        auto* button = new QPushButton(names[index], categories);
        button->setCheckable(true);
        button->setMinimumWidth(60);
        button->setFixedHeight(28);
        button->setObjectName(QStringLiteral("baseCheckButton"));
        button->setProperty("index", index);
        button->setChecked(index == 0);
        m_categoryGroup->addButton(button);
        categoryRow->addWidget(button);
        connect(button, &QPushButton::toggled, this, [this, button](bool checked) {
            if (!checked)
                return;
            m_categoryIndex = button->property("index").toInt();
            requestPageData(m_currentPage, m_pageSize, m_searchField->text(), false);
        });
    }
    categoryRow->addStretch(1);
    row->addWidget(categories);
    row->addStretch(1);

    auto* search = new QWidget(header);
    search->setFixedSize(400, 40);
    auto* searchRow = new QHBoxLayout(search);
    searchRow->setContentsMargins(0, 0, 0, 0);
    searchRow->setSpacing(10);
    m_searchField = new QLineEdit(search);
    m_searchField->setObjectName(QStringLiteral("cloudImageSearchField"));
    m_searchField->setMaxLength(64);
    m_searchField->setFixedHeight(32);
    m_searchField->setPlaceholderText(tr("Type to search..."));
    m_searchButton = new QPushButton(tr("Search"), search);
    m_searchButton->setObjectName(QStringLiteral("cloudImageSearchButton"));
    m_searchButton->setFixedHeight(32);
    m_refreshButton = new QPushButton(search);
    m_refreshButton->setObjectName(QStringLiteral("windowButton"));
    m_refreshButton->setFixedHeight(32);
    m_refreshButton->setIcon(QIcon(QStringLiteral(":/image/icon_refresh_48x48.png")));
    m_refreshButton->setIconSize(QSize(14, 14));
    m_refreshButton->setToolTip(tr("Refresh"));
    searchRow->addWidget(m_searchField);
    searchRow->addWidget(m_searchButton);
    searchRow->addSpacing(20);
    searchRow->addWidget(m_refreshButton);
    row->addWidget(search);

    connect(m_searchButton, &QPushButton::clicked, this,
            [this] { requestPageData(1, m_pageSize, m_searchField->text(), false); });
    connect(m_refreshButton, &QPushButton::clicked, this,
            [this] { requestPageData(m_currentPage, m_pageSize, m_searchField->text(), false); });
    return header;
}

QString CloudImagePicker::projectIds() const
{
    return QString::fromLatin1(kCategoryProjects[std::clamp(m_categoryIndex, 0, 2)]);
}

void CloudImagePicker::requestPageData(int page, int pageSize, const QString& keyword, bool group)
{
    m_currentPage = page;
    m_lastKeyword = keyword;
    m_followUp = false;
    const quint64 request = ++m_pageRequest;

    for (CloudImageItem* item : m_items)
        item->reset(kLoadingPicture);
    cancelThumbnails();

    const QString gateway = m_gateway.isEmpty() ? Settings::instance()->cloudGateway() : m_gateway;
    const std::map<QString, QString> query{
        {QStringLiteral("pi"), QString::number(page)},
        {QStringLiteral("ps"), QString::number(pageSize)},
        {QStringLiteral("keyword"), keyword},
        {QStringLiteral("group"), group ? QStringLiteral("true") : QStringLiteral("false")},
        {QStringLiteral("projectId"), projectIds()},
    };
    HttpResponse* response =
        HttpClient::instance()->get(gateway + QLatin1String(kListPath), query, {}, m_requestTimeoutMs);
    connect(response, &HttpResponse::success, this,
            [this, request](const QByteArray& body) { onPageReply(request, body); });
    connect(response, &HttpResponse::error, this, [this, request](const QString& message) {
        if (request != m_pageRequest)
            return;
        Logger::warn(kTag, "requestPageData failed:%s", qUtf8Printable(message));
        onPageFailed(request);
    });
}

void CloudImagePicker::cancelThumbnails()
{
    // The loader is this picker's own, so every download still running belongs to the page being
    // left. Aborting frees the connections for the next page; the tiles have already dropped
    // those requests, so the null pictures the aborts deliver change nothing.
    for (QNetworkReply* reply : m_loader->findChildren<QNetworkReply*>()) {
        if (reply->isRunning())
            reply->abort();
    }
    for (const QPointer<ImageLoadTask>& task : std::as_const(m_tasks)) {
        if (task)
            task->deleteLater();
    }
    m_tasks.clear();
}

void CloudImagePicker::onPageFailed(quint64 request)
{
    // Tiles still waiting for an address would show "loading" for ever: they show the failure.
    if (request != m_pageRequest)
        return;
    for (CloudImageItem* item : m_items) {
        if (item->address().isEmpty())
            item->showPlaceholder(kErrorPicture);
    }
}

void CloudImagePicker::onPageReply(quint64 request, const QByteArray& body)
{
    if (request != m_pageRequest)
        return;
    try {
        const nlohmann::json reply = nlohmann::json::parse(body.cbegin(), body.cend());
        if (!reply.is_object() || !reply.contains("state") || reply["state"] != 200) {
            Logger::warn(kTag, "requestPageData refused: %s", body.left(200).constData());
            onPageFailed(request);
            return;
        }
        const nlohmann::json& data = reply.at("data");
        if (!data.is_object())
            throw std::runtime_error("data is not an object");
        const int current = readInt(data.at("current"));
        const double total = readInt(data.at("total"));
        const nlohmann::json& records = data.at("records");
        if (!records.is_array())
            throw std::runtime_error("records is not an array");

        m_pagination->setTotalPages(static_cast<int>(std::ceil(total / std::max(1, m_pageSize))));
        // A page kept across a category change may lie past this listing's end: the listing's
        // last page is shown instead, with the selector on it. Each such step asks for a lower
        // page, so replies cannot keep it going.
        if (const int last = m_pagination->totalPages(); m_currentPage > last) {
            const QSignalBlocker blocker(m_pagination);
            m_pagination->setCurrentPage(last);
            requestPageData(last, m_pageSize, m_lastKeyword, false);
            m_followUp = true;
            return;
        }
        if (m_followUp) {
            const QSignalBlocker blocker(m_pagination);
            m_pagination->setCurrentPage(current);
            m_currentPage = m_pagination->currentPage();
        } else {
            m_applyingReply = true;
            m_pagination->setCurrentPage(current);
            m_applyingReply = false;
        }
        // A page change above has sent a newer request, which now owns the tiles.
        if (request != m_pageRequest)
            return;

        const int count = static_cast<int>(std::min<size_t>(records.size(), size_t(m_items.size())));
        for (int i = 0; i < count; ++i) {
            const std::string path = records[size_t(i)].at("path").get<std::string>();
            if (ImageLoadTask* task = m_items[i]->loadImage(m_loader, OV::fromStdText(path)))
                m_tasks.append(task);
        }
        for (int i = count; i < m_items.size(); ++i)
            m_items[i]->pictureLabel()->hide();
    } catch (const std::exception& e) {
        m_applyingReply = false;
        Logger::error(kTag, "requestPageData error:%s", e.what());
        onPageFailed(request);
    }
}

void CloudImagePicker::onThemeChanged(ThemeLoader* loader)
{
    // The tiles carry the sheet themselves: the scroll area's transparent sheet lies closer to
    // them than the window's and would otherwise blank their background.
    const QString sheet = loader->load(QStringLiteral("cloud_image_picker"));
    setStyleSheet(sheet);
    for (CloudImageItem* item : std::as_const(m_items))
        item->setStyleSheet(sheet);
    m_searchButton->setStyleSheet(loader->load(QStringLiteral("primary_button")));
    m_scrollArea->viewport()->setStyleSheet(loader->load(QStringLiteral("base")));
}

void CloudImagePicker::showEvent(QShowEvent* event)
{
    requestPageData(m_currentPage, m_pageSize, m_searchField->text(), false);
    BaseWindow::showEvent(event);
}

void CloudImagePicker::resizeEvent(QResizeEvent* event)
{
    BaseWindow::resizeEvent(event);
    reflowGrid();
}

void CloudImagePicker::reflowGrid()
{
    const int columns = std::max(1, width() / (m_itemWidth + 32));
    const int rows = (static_cast<int>(m_items.size()) + columns - 1) / columns;
    m_gridContainer->setMinimumHeight(rows * (m_itemHeight + 32) + 32);
    if (columns == m_gridColumns)
        return;
    m_gridColumns = columns;
    for (CloudImageItem* item : m_items)
        m_grid->removeWidget(item);
    for (int i = 0; i < m_items.size(); ++i)
        m_grid->addWidget(m_items[i], i / columns, i % columns);
}

} // namespace OV
