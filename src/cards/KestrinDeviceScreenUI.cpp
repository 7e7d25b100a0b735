#include "cards/KestrinDeviceScreenUI.h"

#include "cards/KestrinCardApp.h"
#include "cards/KestrinCardBasicAccuWeather.h"
#include "cards/KestrinCardBasicClock.h"
#include "cards/KestrinCardBasicTimer.h"
#include "cards/KestrinCardBasicWhiteNoise.h"
#include "cards/KestrinCardBasicWorldClock.h"
#include "cards/KestrinCardMAMultiAction.h"
#include "cards/KestrinCardMDThessaTH.h"
#include "cards/KestrinCardMDWakerin.h"
#include "cards/KestrinCardPCCtrl.h"
#include "cards/KestrinCardPCCtrlGroup.h"
#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "core/Utils.h"
#include "main/MainWindow.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "store/StoreUtils.h"
#include "widgets/BaseWidgetSelectGroup.h"
#include "widgets/MessageDialog.h"
#include "widgets/WheelHorizontalScrollArea.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>

#include <cmath>
#include <stdexcept>

namespace OV {

namespace {

constexpr const char* kTag = "KestrinDeviceUI";

QString nameOf(const nlohmann::json& config)
{
    const auto name = config.find("name");
    return name != config.end() && name->is_string() ? OV::fromStdText(name->get<std::string>()) : QString();
}

// The hub-request style of message: "%1, details: %2", or the error text alone.
template <typename T>
QString detailsText(const BaseResult<T>& result)
{
    const QString text = QCoreApplication::translate("OV::ErrorCode", result.text());
    if (result.message.isEmpty())
        return text;
    return QCoreApplication::translate("OV::KestrinDeviceScreenUI", "%1, details: %2").arg(text, result.message);
}

} // namespace

KestrinDeviceScreenUI::KestrinDeviceScreenUI(QWidget* parent, WheelHorizontalScrollArea* scrollArea,
                                             BaseWidgetSelectGroup* group)
    : QWidget(parent), m_group(group), m_scrollArea(scrollArea),
      m_widgetUseCase(ProjectManager::instance()->getProfileKsWidgetUseCase()), m_layout(new QHBoxLayout(this))
{
    m_layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    m_layout->setSpacing(kSpacing);
    m_layout->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setObjectName(QStringLiteral("kestrinScreenUI"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("main_window")) +
                  ThemeLoader::instance()->load(QStringLiteral("kestrin_screen")));
    setAcceptDrops(true);
    initData();
}

int KestrinDeviceScreenUI::cardCount() const
{
    return m_layout->count();
}

KestrinCard* KestrinDeviceScreenUI::cardAt(int index) const
{
    QLayoutItem* item = m_layout->itemAt(index);
    return item ? qobject_cast<KestrinCard*>(item->widget()) : nullptr;
}

void KestrinDeviceScreenUI::initData()
{
    if (m_group) {
        for (int i = m_group->count() - 1; i >= 0; --i) {
            if (auto* card = qobject_cast<KestrinCard*>(m_group->widgetAt(i)))
                m_group->removeWidget(card);
        }
    }
    while (QLayoutItem* item = m_layout->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            widget->setParent(nullptr);
            widget->deleteLater();
        }
        delete item;
    }
    // The map holds the beans of the cards shown, so a profile change empties it.
    m_beans.clear();
    m_loadedProfileId.reset();
    updateScreenWidth();

    const std::shared_ptr<ProjectDbProfileBean> profile = MainWindow::currentProfile();
    if (!profile || !m_widgetUseCase)
        return;
    JsonStoreKeys keys;
    keys.k1 = QString::number(profile->id);
    const auto beans = m_widgetUseCase->accessor->findAll(keys, true);
    if (!beans.isOk()) {
        Logger::error(kTag, "initData error: %s", detailsText(beans).toUtf8().constData());
        return;
    }
    for (const auto& bean : *beans.data) {
        m_beans.insert(bean->id, bean);
        KestrinCard* card = createDeskCard(-1, bean, bean->widgetType.toStdString(), bean->data);
        if (!card)
            continue;
        m_layout->addWidget(card);
        if (m_group)
            m_group->addWidget(card);
    }
    m_loadedProfileId = profile->id;
    updateScreenWidth();
}

KestrinCard* KestrinDeviceScreenUI::makeCard(const std::shared_ptr<ProjectDbProfileKsWidgetBean>& bean,
                                             const std::string& widgetType, const nlohmann::json& config)
{
    if (widgetType == "basic") {
        const std::string typeId = config.at("typeId").get<std::string>();
        if (typeId == "clock")
            return new KestrinCardBasicClock(this, bean);
        if (typeId == "worldClock")
            return new KestrinCardBasicWorldClock(this, bean);
        if (typeId == "accuWeather")
            return new KestrinCardBasicAccuWeather(this, bean);
        if (typeId == "timer")
            return new KestrinCardBasicTimer(this, bean);
        if (typeId == "whiteNoise")
            return new KestrinCardBasicWhiteNoise(this, bean);
        return nullptr;
    }
    if (widgetType == "pcCtrl")
        return new KestrinCardPCCtrl(this, bean);
    if (widgetType == "multiAction")
        return config.at("typeId").get<std::string>() == "multiAction" ? new KestrinCardMAMultiAction(this, bean)
                                                                       : nullptr;
    if (widgetType == "module") {
        const std::string typeId = config.at("typeId").get<std::string>();
        KestrinCard* card = nullptr;
        if (typeId == "thessaTempAndHu")
            card = new KestrinCardMDThessaTH(this, bean);
        else if (typeId == "wakerin")
            card = new KestrinCardMDWakerin(this, bean);
        if (card)
            card->setEditable(true);
        return card;
    }
    if (widgetType == "pcCtrlGroup")
        return new KestrinCardPCCtrlGroup(this, bean);
    if (widgetType == "app")
        return new KestrinCardApp(this, bean);
    return nullptr;
}

KestrinCard* KestrinDeviceScreenUI::createDeskCard(int64_t profileId,
                                                   std::shared_ptr<ProjectDbProfileKsWidgetBean> bean,
                                                   const std::string& widgetType, const nlohmann::json& config)
{
    KestrinCard* card = nullptr;
    try {
        if (!bean) {
            if (profileId < 1)
                throw std::invalid_argument("invalid profile id: " + std::to_string(profileId));
            bean = std::make_shared<ProjectDbProfileKsWidgetBean>();
            bean->id = -1;
            bean->setProfileId(profileId);
            bean->uid = createUuid();
            bean->widgetType = OV::fromStdText(widgetType);
            if (!config.is_object())
                throw std::invalid_argument("arg 'data' is not json object");
            bean->setData(config);
            if (widgetType == "pcCtrl" || widgetType == "pcCtrlGroup")
                bean->name = nameOf(config);
        }
        card = makeCard(bean, widgetType, config);
        if (!card)
            return nullptr;
        card->init();
        QPointer<KestrinCard> guard(card);
        card->setDeleteCallback([this, guard]() {
            if (guard)
                removeCard(guard);
        });
        return card;
    } catch (const std::exception& e) {
        Logger::error(kTag, "createScreenItem error:%s", e.what());
        delete card;
        return nullptr;
    }
}

int KestrinDeviceScreenUI::cardInsertIndex(QPoint pos) const
{
    for (int i = 0; i < m_layout->count(); ++i) {
        QWidget* widget = m_layout->itemAt(i)->widget();
        if (widget && widget->geometry().center().x() > pos.x())
            return i;
    }
    return m_layout->count();
}

void KestrinDeviceScreenUI::updateScreenWidth()
{
    int width = kMargin * 2;
    const int count = m_layout->count();
    for (int i = 0; i < count; ++i) {
        QWidget* widget = m_layout->itemAt(i)->widget();
        width += widget ? widget->width() : 0;
    }
    if (count > 1)
        width += (count - 1) * kSpacing;
    setMinimumWidth(width);
    if (m_scrollArea)
        m_scrollArea->horizontalScrollBar()->setRange(0, width);
}

void KestrinDeviceScreenUI::saveCardOrder()
{
    for (int p = 0; p < m_layout->count(); ++p) {
        auto* card = qobject_cast<KestrinCard*>(m_layout->itemAt(p)->widget());
        if (!card)
            continue;
        const int64_t id = card->bean() ? card->bean()->id : -1;
        const auto found = m_beans.find(id);
        if (found != m_beans.end())
            (*found)->sortId = p;
    }
    std::vector<std::shared_ptr<ProjectDbProfileKsWidgetBean>> beans(m_beans.begin(), m_beans.end());
    const BaseResult<void> saved = m_widgetUseCase->accessor->updateAllSortId(beans);
    if (!saved.isOk())
        Logger::error(kTag, "saveCardOrder error: %s", detailsText(saved).toUtf8().constData());
}

void KestrinDeviceScreenUI::removeCard(KestrinCard* card)
{
    if (!card)
        return;
    const BaseResult<int> removed = m_widgetUseCase->accessor->remove(card->bean()->id);
    if (!removed.isOk()) {
        MessageDialog::error(detailsText(removed), true);
        return;
    }
    m_beans.remove(card->bean()->id);
    if (m_group)
        m_group->removeWidget(card);
    m_layout->removeWidget(card);
    card->setParent(nullptr);
    card->deleteLater();
    updateScreenWidth();
}

void KestrinDeviceScreenUI::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(QString::fromLatin1(KestrinDragWidget::kMimeType)))
        event->acceptProposedAction();
}

void KestrinDeviceScreenUI::dragMoveEvent(QDragMoveEvent* event)
{
    event->acceptProposedAction();
}

void KestrinDeviceScreenUI::dropEvent(QDropEvent* event)
{
    const QString mime = QString::fromLatin1(KestrinDragWidget::kMimeType);
    if (!event->mimeData()->hasFormat(mime))
        return;
    const QByteArray bytes = event->mimeData()->data(mime);
    Logger::debug(kTag, "mime data:%s", bytes.constData());
    const QPoint pos(static_cast<int>(std::lround(event->position().x())),
                     static_cast<int>(std::lround(event->position().y())));
    // A payload that is not ours in shape is dropped without effect.
    const nlohmann::json payload = nlohmann::json::parse(bytes.toStdString(), nullptr, false);
    if (!payload.is_object())
        return;
    const auto from = payload.find("from");
    const auto id = payload.find("id");
    if (from == payload.end() || !from->is_string() || id == payload.end() || !id->is_number_unsigned())
        return;
    if (*from == KestrinDragWidget::kFromConfigPanel) {
        const auto widgetType = payload.find("widgetType");
        const auto config = payload.find("config");
        if (widgetType == payload.end() || !widgetType->is_string() || config == payload.end())
            return;
        dropNewCard(event, pos, widgetType->get<std::string>(), *config);
    } else if (*from == KestrinDragWidget::kFromScreen) {
        moveCard(pos, id->get<uint64_t>());
    }
}

void KestrinDeviceScreenUI::dropNewCard(QDropEvent* event, QPoint pos, const std::string& widgetType,
                                        const nlohmann::json& config)
{
    const std::shared_ptr<ProjectDbProfileBean> profile = MainWindow::currentProfile();
    if (!profile)
        return;
    KestrinCard* card = createDeskCard(profile->id, nullptr, widgetType, config);
    if (!card)
        return;
    const std::shared_ptr<ProjectDbProfileKsWidgetBean> bean = card->bean();
    const BaseResult<void> stored = m_widgetUseCase->insertOrUpdateWidget(*bean, nullptr);
    if (!stored.isOk()) {
        // The card's init may have stored the record already (with its icon): take it back.
        if (bean->id >= 0)
            m_widgetUseCase->accessor->remove(bean->id);
        delete card;
        MessageDialog::error(formatErrorDetails(stored), true);
        return;
    }
    m_beans.insert(bean->id, bean);
    const int index = cardInsertIndex(pos);
    m_layout->insertWidget(index, card);
    card->show();
    if (m_group)
        m_group->addWidget(card);
    card->setSelected(true);
    updateScreenWidth();
    saveCardOrder();
    event->acceptProposedAction();
    scrollToCard(card, index);
    card->showEditor();
}

void KestrinDeviceScreenUI::moveCard(QPoint pos, uint64_t dragId)
{
    int index = cardInsertIndex(pos);
    for (int i = 0; i < m_layout->count(); ++i) {
        auto* card = qobject_cast<KestrinCard*>(m_layout->itemAt(i)->widget());
        if (!card || card->dragId() != dragId)
            continue;
        if (index >= 0) {
            m_layout->removeWidget(card);
            if (i < index)
                --index;
            m_layout->insertWidget(std::min(index, m_layout->count()), card);
        }
        break;
    }
    saveCardOrder();
}

void KestrinDeviceScreenUI::scrollToCard(KestrinCard* card, int index)
{
    int cardX = 0;
    if (index >= 0 && index < m_layout->count()) {
        cardX = m_layout->contentsMargins().left();
        for (int i = 0; i < index; ++i) {
            QWidget* widget = m_layout->itemAt(i)->widget();
            cardX += (widget ? widget->width() : 0) + m_layout->spacing();
        }
    }
    const int cardWidth = card->width();
    if (!m_scrollArea)
        return;
    QScrollBar* bar = m_scrollArea->horizontalScrollBar();
    const int scrollX = bar->value();
    Logger::debug(kTag, "cardX:%d, cardWidth:%d, scrollX:%d, screenWidth:%d", cardX, cardWidth, scrollX,
                  m_visibleWidth);
    if (scrollX > cardX)
        bar->setValue(cardX);
    else if (scrollX + m_visibleWidth < cardX + cardWidth)
        bar->setValue(cardX + cardWidth - (m_visibleWidth - (kVisibleWidth - kScrollBackOff)));
}

} // namespace OV
