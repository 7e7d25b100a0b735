#pragma once

#include <QHash>
#include <QPoint>
#include <QWidget>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class QHBoxLayout;

namespace OV {

class BaseWidgetSelectGroup;
class KestrinCard;
class ProjectDbProfileKsWidgetBean;
class ProjectProfileKsWidgetUseCase;
class WheelHorizontalScrollArea;

// The hub's screen as a horizontal strip of cards, one per card record of the current profile
// in sort order. Cards are added by dropping widget-list rows, moved by dropping cards, and
// removed from their menu; each change is written to the project at once.
class KestrinDeviceScreenUI : public QWidget
{
    Q_OBJECT
public:
    // The strip's visible width in a hub tile of full width, and where the right edge of a card
    // scrolled into view ends; a narrowed tile shows less and backs off as far from its edge.
    static constexpr int kVisibleWidth = 613;
    static constexpr int kScrollBackOff = 581;
    static constexpr int kMargin = 10;
    static constexpr int kSpacing = 10;

    KestrinDeviceScreenUI(QWidget* parent, WheelHorizontalScrollArea* scrollArea, BaseWidgetSelectGroup* group);

    // Refills the strip from the current profile.
    void initData();
    // Whether the last fill loaded the cards of this profile (the strip stays in step with the
    // project between fills, so filling it again would change nothing).
    bool showsProfile(int64_t profileId) const { return m_loadedProfileId == profileId; }
    int cardInsertIndex(QPoint pos) const;
    void updateScreenWidth();
    void saveCardOrder();
    void removeCard(KestrinCard* card);
    // The card factory: a card for a stored record (bean given, profileId unused) or for a new
    // record of the profile (no bean); null when none can be made.
    KestrinCard* createDeskCard(int64_t profileId, std::shared_ptr<ProjectDbProfileKsWidgetBean> bean,
                                const std::string& widgetType, const nlohmann::json& config);

    int cardCount() const;
    KestrinCard* cardAt(int index) const;
    // Set by the hub tile when it narrows or widens.
    void setVisibleWidth(int width) { m_visibleWidth = width; }
    int visibleWidth() const { return m_visibleWidth; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    KestrinCard* makeCard(const std::shared_ptr<ProjectDbProfileKsWidgetBean>& bean, const std::string& widgetType,
                          const nlohmann::json& config);
    void dropNewCard(QDropEvent* event, QPoint pos, const std::string& widgetType, const nlohmann::json& config);
    void moveCard(QPoint pos, uint64_t dragId);
    void scrollToCard(KestrinCard* card, int index);

    BaseWidgetSelectGroup* m_group;
    WheelHorizontalScrollArea* m_scrollArea;
    std::shared_ptr<ProjectProfileKsWidgetUseCase> m_widgetUseCase;
    QHBoxLayout* m_layout;
    QHash<int64_t, std::shared_ptr<ProjectDbProfileKsWidgetBean>> m_beans;
    std::optional<int64_t> m_loadedProfileId;
    int m_visibleWidth = kVisibleWidth;
};

} // namespace OV
