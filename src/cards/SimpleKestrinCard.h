#pragma once

#include "cards/KestrinCard.h"

#include <QByteArray>
#include <QPixmap>

#include <functional>

class QLabel;

namespace OV {

class ElidedLabel;

// The look every card shares: a 110 x 100 tile with the icon above the name.
class SimpleKestrinCard : public KestrinCard
{
    Q_OBJECT
public:
    static constexpr int kWidth = 110;
    static constexpr int kHeight = 100;
    static constexpr int kTrimThreshold = 5;
    static constexpr const char* kErrorImage = ":/image/image_load_error.png";
    static constexpr const char* kLoadingImage = ":/image/image_loading.png";

    SimpleKestrinCard(QWidget* parent, BeanPtr bean);

    void setIcon(const QPixmap& image);
    // Shows the icon stored with the record (PNG bytes), decoded when the card is first painted
    // or its icon is first asked for: a strip holds more cards than it shows at once. Bytes that
    // turn out to be no picture are logged and `unreadable` runs instead.
    void setStoredIcon(const QByteArray& bytes, std::function<void()> unreadable);
    const QPixmap& iconImage() const;
    void setName(const QString& text) override;
    QString nameText() const;

    // Makes the resource or file at path the card's icon, kept with the record ("file://").
    QPixmap loadIcon(const QString& path);
    // Shows the picture of a resource trimmed of its transparent edges.
    void showResourceIcon(const QString& path);
    // Shows the image fetched from an address; calls onIconLoaded once shown.
    void fetchIcon(const QString& url);

    QPixmap dragPixmap() override;

protected:
    // Stores an edit that also changes the card's picture and icon scale: the shown picture, name
    // and scale follow only when the store succeeded. `change` runs after the scale is set.
    void applyIconEdit(int& iconScale, int newScale, const QString& name, const QPixmap& shown, QPixmap stored,
                       const std::function<void()>& change, const BaseResultCallback<void>& callback);

    bool eventFilter(QObject* watched, QEvent* event) override;

protected slots:
    virtual void onIconLoaded();

private:
    void showStoredIcon() const;

    mutable QPixmap m_iconImage;
    mutable QByteArray m_storedIcon;
    std::function<void()> m_storedIconUnreadable;
    QLabel* m_iconLabel;
    ElidedLabel* m_nameLabel;
};

} // namespace OV
