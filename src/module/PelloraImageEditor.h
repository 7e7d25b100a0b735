#pragma once

#include <QPixmap>
#include <QWidget>

#include <memory>

class QLabel;
class QPushButton;

namespace OV {

class CloudImagePicker;

// The image panel of a screen-cube button: a preview on a 120-px screen, "Choose Icon" from the
// cloud picker and zoom in 10 % steps between 10 and 100 %.
class PelloraImageEditor : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kScreenSize = 120;
    static constexpr int kDefaultPercent = 60;
    static constexpr int kTrimAlphaThreshold = 2;

    explicit PelloraImageEditor(QWidget* parent = nullptr);

    // The image with transparent edges trimmed becomes the raw image, shown at the percent.
    void setIcon(const QPixmap& image, int percent);
    void setIconScalePercent(int percent);
    QWidget* createRightPanel();

    QPixmap rawImage() const { return m_raw; }
    int percent() const { return m_percent; }
    QLabel* previewLabel() const { return m_preview; }
    QLabel* percentLabel() const { return m_percentLabel; }
    QPushButton* chooseButton() const { return m_chooseButton; }
    QPushButton* zoomInButton() const { return m_zoomIn; }
    QPushButton* zoomOutButton() const { return m_zoomOut; }

    // The one picker all screen-cube image panels share, made on first use; released when the
    // configuration window closes.
    static std::shared_ptr<CloudImagePicker> sharedPicker();
    static bool hasSharedPicker();
    static void releaseSharedPicker();
    void openPicker();

private:
    QPixmap m_raw;
    int m_percent = -1;
    QLabel* m_preview = nullptr;
    QLabel* m_percentLabel = nullptr;
    QPushButton* m_chooseButton = nullptr;
    QPushButton* m_zoomIn = nullptr;
    QPushButton* m_zoomOut = nullptr;
};

} // namespace OV
