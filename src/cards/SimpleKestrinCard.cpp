#include "cards/SimpleKestrinCard.h"

#include "core/ImageLoader.h"
#include "core/Logger.h"
#include "core/PngPicture.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "store/StoreUtils.h"
#include "widgets/ElidedLabel.h"

#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

#include <utility>

namespace OV {

SimpleKestrinCard::SimpleKestrinCard(QWidget* parent, BeanPtr bean) : KestrinCard(parent, std::move(bean))
{
    setObjectName(QStringLiteral("simpleKestrinCard"));
    setFixedSize(kWidth, kHeight);
    setBorderRadius(24);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 20, 8, 6);
    layout->setSpacing(0);

    // Centred by the layout rather than by a row widget: a strip holds many cards, and each
    // widget in one is styled when the strip is first shown.
    m_iconLabel = new QLabel;
    m_iconLabel->setFixedSize(50, 50);
    m_iconLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_iconLabel, 0, Qt::AlignHCenter);
    layout->addStretch(1);

    m_nameLabel = new ElidedLabel;
    m_nameLabel->setObjectName(QStringLiteral("simpleKestrinCardName"));
    m_nameLabel->setAlignment(Qt::AlignCenter);
    m_nameLabel->setFixedWidth(kWidth - 20);
    layout->addWidget(m_nameLabel);
}

void SimpleKestrinCard::setIcon(const QPixmap& image)
{
    m_storedIcon.clear();
    m_iconImage = image;
    if (image.isNull()) {
        m_iconLabel->clear();
        return;
    }
    m_iconLabel->setPixmap(image.scaled(m_iconLabel->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void SimpleKestrinCard::setStoredIcon(const QByteArray& bytes, std::function<void()> unreadable)
{
    m_iconImage = QPixmap();
    m_iconLabel->clear();
    m_storedIcon = bytes;
    m_storedIconUnreadable = std::move(unreadable);
    m_iconLabel->installEventFilter(this);
}

const QPixmap& SimpleKestrinCard::iconImage() const
{
    showStoredIcon();
    return m_iconImage;
}

void SimpleKestrinCard::showStoredIcon() const
{
    if (m_storedIcon.isEmpty())
        return;
    const QByteArray bytes = std::exchange(m_storedIcon, QByteArray());
    m_iconLabel->removeEventFilter(const_cast<SimpleKestrinCard*>(this));
    // Stored as PNG; anything else is no picture.
    const QPixmap image = PngPicture::isPng(bytes) ? PngPicture::fromData(bytes) : QPixmap();
    if (image.isNull()) {
        Logger::error("SimpleKestrinCard", "stored icon of card [%s] is no picture", bean()->uid.toUtf8().constData());
        // Not from within the paint or the const call that found it.
        if (auto unreadable = m_storedIconUnreadable) {
            QPointer<const SimpleKestrinCard> self(this);
            QMetaObject::invokeMethod(
                const_cast<SimpleKestrinCard*>(this),
                [self, unreadable] {
                    if (self)
                        unreadable();
                },
                Qt::QueuedConnection);
        }
        return;
    }
    m_iconImage = image;
    m_iconLabel->setPixmap(image.scaled(m_iconLabel->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

bool SimpleKestrinCard::eventFilter(QObject* watched, QEvent* event)
{
    // The label is about to show the icon for the first time.
    if (watched == m_iconLabel && event->type() == QEvent::Paint)
        showStoredIcon();
    return KestrinCard::eventFilter(watched, event);
}

void SimpleKestrinCard::applyIconEdit(int& iconScale, int newScale, const QString& name, const QPixmap& shown,
                                      QPixmap stored, const std::function<void()>& change,
                                      const BaseResultCallback<void>& callback)
{
    const int oldScale = iconScale;
    const QPixmap oldImage = iconImage();
    applyAndSave(
        [&]() {
            iconScale = newScale;
            change();
        },
        [&](const BaseResult<void>& result) {
            if (result.isOk()) {
                setIcon(shown);
                updateName(name);
            } else {
                iconScale = oldScale;
                setIcon(oldImage);
            }
            if (callback)
                callback(result);
        },
        &stored);
}

void SimpleKestrinCard::setName(const QString& text)
{
    m_nameLabel->fullText = text;
    m_nameLabel->updateText();
    KestrinCard::setName(text);
}

QString SimpleKestrinCard::nameText() const
{
    return m_nameLabel->fullText;
}

void SimpleKestrinCard::showResourceIcon(const QString& path)
{
    setIcon(trimTransparentEdges(QPixmap(path), kTrimThreshold));
}

QPixmap SimpleKestrinCard::loadIcon(const QString& path)
{
    bean()->icon = QStringLiteral("file://");
    QPixmap image = trimTransparentEdges(QPixmap(path), kTrimThreshold);
    setIcon(image);
    const BaseResult<void> stored = widgetUseCase()->insertOrUpdateWidget(*bean(), &image);
    if (!stored.isOk())
        Logger::error("SimpleKestrinCard", "update icon[%s] error: %s", path.toUtf8().constData(),
                      formatErrorDetails(stored).toUtf8().constData());
    return image;
}

void SimpleKestrinCard::fetchIcon(const QString& url)
{
    QPointer<SimpleKestrinCard> self(this);
    ImageLoader::instance()->load(url, [self](const QPixmap& image) {
        if (!self)
            return;
        if (image.isNull()) {
            self->showResourceIcon(QString::fromLatin1(kErrorImage));
            return;
        }
        self->setIcon(image);
        self->onIconLoaded();
    });
}

QPixmap SimpleKestrinCard::dragPixmap()
{
    return grab().scaled(kWidth, kHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

void SimpleKestrinCard::onIconLoaded() {}

} // namespace OV
