#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <nlohmann/json.hpp>

#include <unordered_map>

namespace OV {

class PelloraImageEditor;

// Images of screen-cube widgets by their file_store name ("widget/<id>/rawIcon" ...).
using PelloraImageMap = std::unordered_map<QString, QPixmap>;

// What a widget's type editor hands back: the widget with its type's members, and its images.
struct PelloraWidgetInfo
{
    bool ok = false;
    nlohmann::json widget;
    PelloraImageMap images;
};

// The base of the editors of one widget type inside the widget editor window.
class PelloraWidget : public QWidget
{
    Q_OBJECT
public:
    PelloraWidget(int type, qint64 moduleRecordId, const nlohmann::json& widget, PelloraImageMap images,
                  QWidget* parent = nullptr);

    int type() const { return m_type; }
    int64_t widgetId() const { return m_widgetId; }
    PelloraImageEditor* imageEditor() const { return m_imageEditor; }

    // The widget with this type's members set; ok false (after a message to the user) when the
    // input is incomplete. The result is owned by the editor.
    virtual PelloraWidgetInfo* buildWidgetInfo() = 0;

protected:
    int m_type;
    int64_t m_widgetId = 0;
    qint64 m_moduleRecordId;
    nlohmann::json m_widget;
    PelloraWidgetInfo m_info;
    PelloraImageMap m_images;
    PelloraImageEditor* m_imageEditor = nullptr;
};

} // namespace OV
