#pragma once

#include "widgets/BaseWidget.h"

#include <QPixmap>
#include <QString>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>

class QDrag;

namespace OV {

// Everything that can be dragged onto the hub screen: widget-list rows, plug-in group headers
// and the cards themselves. A drag carries one compact JSON object {"config", "from", "id",
// "widgetType"} under the widget's MIME type.
class KestrinDragWidget : public BaseWidget
{
    Q_OBJECT
public:
    static constexpr const char* kMimeType = "application/kestrin-widget";
    static constexpr const char* kFromConfigPanel = "configPanel";
    static constexpr const char* kFromScreen = "screen";

    // Runs a started drag in place of QDrag::exec (tests drop it by hand); empty = exec.
    using DragRunner = std::function<void(QDrag* drag)>;

    explicit KestrinDragWidget(QWidget* parent = nullptr);

    static void setDragRunner(DragRunner runner);

    uint64_t dragId() const { return m_dragId; }
    const QString& mimeType() const { return m_mimeType; }
    void setMimeType(const QString& type) { m_mimeType = type; }
    const QString& widgetType() const { return m_widgetType; }
    void setWidgetType(const QString& type) { m_widgetType = type; }
    const QString& sourceTag() const { return m_sourceTag; }
    void setSourceTag(const QString& tag) { m_sourceTag = tag; }
    void setDraggable(bool draggable) { m_draggable = draggable; }
    bool isDraggable() const { return m_draggable; }
    void setPixmapProvider(std::function<QPixmap()> provider) { m_pixmapProvider = std::move(provider); }
    void setDragOpacity(float opacity) { m_dragOpacity = opacity; }
    // The config member as the payload carries it (never a card's bean data).
    const nlohmann::json& config() const { return m_config; }

    // The payload text a drag of this widget carries.
    QByteArray payload() const;

    virtual void setData(nlohmann::json&& config);
    virtual nlohmann::json* data();
    virtual QPixmap dragPixmap();
    virtual bool canDrag(QMouseEvent* event);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    std::function<QPixmap()> m_pixmapProvider;
    uint64_t m_dragId;
    QString m_mimeType;
    QString m_widgetType;
    QString m_sourceTag;
    nlohmann::json m_config;
    QPoint m_pressPos;
    float m_dragOpacity = 1.0F;
    bool m_draggable = false;
};

} // namespace OV
