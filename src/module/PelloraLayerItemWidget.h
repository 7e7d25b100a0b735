#pragma once

#include "widgets/BaseWidget.h"

#include <functional>

class QLabel;

namespace OV {

// One row of the screen cube's layer list: the layer's name and, for the default layer, a star.
class PelloraLayerItemWidget : public BaseWidget
{
    Q_OBJECT
public:
    enum MenuCode : int {
        Rename = 1,
        SetDefault = 2,
        Delete = 3,
    };

    PelloraLayerItemWidget(int layerId, const QString& name, bool isDefault, QWidget* parent = nullptr);

    int layerId() const { return property("layerId").toInt(); }
    QString name() const;
    void setName(const QString& name);
    bool isStarShown() const { return m_starShown; }
    void setStarShown(bool shown);
    QLabel* starLabel() const { return m_star; }

    // Called with the code of the chosen menu entry.
    std::function<void(int code)> menuCallback;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateStarOpacity();

    QLabel* m_nameLabel = nullptr;
    QLabel* m_star = nullptr;
    bool m_starShown = false;
};

} // namespace OV
