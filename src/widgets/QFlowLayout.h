#pragma once

#include <QLayout>
#include <QList>
#include <QStyle>

// Places items left to right and wraps them into rows, as in a grid of cards.
class QFlowLayout : public QLayout
{
public:
    // A spacing below 0 takes the style's spacing ("smart" spacing).
    explicit QFlowLayout(QWidget* parent = nullptr, int margin = -1, int hSpacing = -1, int vSpacing = -1);
    ~QFlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int horizontalSpacing() const;
    int verticalSpacing() const;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;
    QSize sizeHint() const override;
    QLayoutItem* takeAt(int index) override;

protected:
    QList<QLayoutItem*> m_items;

private:
    int doLayout(const QRect& rect, bool testOnly) const;
    int smartSpacing(QStyle::PixelMetric metric) const;

    int m_hSpace;
    int m_vSpace;
};
