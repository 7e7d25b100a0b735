#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

namespace OV {

class BaseWidget;
class EditStateWatcher;

// The icon of a card as its editor shows it: the picture (chosen from the cloud image picker)
// and its zoom, 10 to 100 percent in steps of 10.
class KestrinCardIconEditor : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kMinScale = 10;
    static constexpr int kMaxScale = 100;

    // Throws std::invalid_argument "editStateWatcher is null" for a null watcher.
    KestrinCardIconEditor(QWidget* parent, EditStateWatcher* watcher);

    void setIcon(const QString& iconText, const QPixmap& image, int scale);
    void setScale(int value);

    const QString& iconText() const { return m_iconText; }
    const QPixmap& image() const { return m_image; }
    int scale() const { return m_scale; }
    QPushButton* zoomInButton() const { return m_zoomIn; }
    QPushButton* zoomOutButton() const { return m_zoomOut; }
    BaseWidget* panel() const { return m_panel; }
    // Opens the shared picker; its choice becomes the icon at 50 %.
    void choose();

private:
    EditStateWatcher* m_watcher;
    QString m_iconText;
    QPixmap m_image;
    int m_scale = 0;
    BaseWidget* m_panel;
    QLabel* m_iconLabel;
    QLabel* m_zoomLabel;
    QPushButton* m_zoomIn;
    QPushButton* m_zoomOut;
};

} // namespace OV
