#pragma once

#include "cards/KestrinDragWidget.h"

#include <QPixmap>

class QLabel;

namespace OV {

class ElidedLabel;

// A row of the widget list: icon and name; dragging it onto the hub screen makes a card.
class SimpleWidgetListContentItem : public KestrinDragWidget
{
    Q_OBJECT
public:
    static constexpr int kHeight = 45;

    explicit SimpleWidgetListContentItem(QWidget* parent);

    void setIcon(const QPixmap& icon);
    const QPixmap& icon() const { return m_icon; }
    void setName(const QString& name);
    QString name() const;
    // Shows the image at the address once loaded (the error picture when it cannot be had).
    void loadIcon(const QString& url);
    // Shows what an image load delivered: the error picture for a null one.
    void showLoadedIcon(const QPixmap& icon);

    QPixmap dragPixmap() override;
    bool canDrag(QMouseEvent* event) override;

private:
    QPixmap m_icon;
    QLabel* m_iconLabel;
    ElidedLabel* m_nameLabel;
};

} // namespace OV
