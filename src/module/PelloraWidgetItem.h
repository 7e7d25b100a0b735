#pragma once

#include "module/DragFlowLayoutWidget.h"
#include "module/PelloraWidget.h"

#include <functional>

class QLabel;

namespace OV {

// One widget of a screen-cube layer in the grid: its picture on a small screen and its name.
// It carries the widget and the images chosen for it until the layers are saved.
class PelloraWidgetItem : public DragFlowLayoutWidget
{
    Q_OBJECT
public:
    static constexpr int kImageSide = 90;

    explicit PelloraWidgetItem(QWidget* parent = nullptr);

    void updateItem(const nlohmann::json& widget, const QPixmap& icon, PelloraImageMap images);

    const nlohmann::json& widget() const { return m_widget; }
    const PelloraImageMap& images() const { return m_images; }
    int64_t widgetId() const;
    QLabel* imageLabel() const { return m_imageLabel; }
    QLabel* nameLabel() const { return m_nameLabel; }

    // Called with the chosen code of the tile's menu (0 = delete).
    std::function<void(int code)> menuCallback;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    nlohmann::json m_widget;
    PelloraImageMap m_images;
    QLabel* m_imageLabel = nullptr;
    QLabel* m_nameLabel = nullptr;
};

} // namespace OV
