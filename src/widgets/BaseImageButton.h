#pragma once

#include <QPixmap>
#include <QPushButton>

namespace OV {

// A push button that draws a picture over its own painting.
class BaseImageButton : public QPushButton
{
public:
    enum ScaleMode {
        Stretch = 0,
        Fit = 1,
        Fill = 2,
    };

    using QPushButton::QPushButton;

    void setPixmap(const QPixmap& pixmap);
    QPixmap pixmap() const { return m_pixmap; }
    // 3 draws like Fit; any other value outside the enumeration draws no picture.
    void setScaleMode(int mode);
    int scaleMode() const { return m_scaleMode; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_pixmap;
    int m_scaleMode = Fit;
};

} // namespace OV
