#include "widgets/ToastWidget.h"

#include "core/ThemeLoader.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStyleOption>
#include <QTimer>

namespace OV {

ToastWidget::ToastWidget(QWidget* parent) : QFrame(parent)
{
    setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("toast_widget")));
    setObjectName(QStringLiteral("toastWidget"));
    // A popup window would grab the keyboard and swallow the next click anywhere. A tool-tip
    // window is never activated by any platform and lets input pass through it.
    setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                   Qt::WindowTransparentForInput);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(260, 80);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    m_iconLabel = new QLabel(this);
    m_iconLabel->setFixedSize(32, 32);
    m_textLabel = new QLabel(this);
    m_textLabel->setObjectName(QStringLiteral("toastText"));
    m_textLabel->setTextFormat(Qt::PlainText);
    m_textLabel->setWordWrap(true);
    layout->addWidget(m_iconLabel);
    layout->addWidget(m_textLabel, 1);

    m_closeTimer = new QTimer(this);
    m_closeTimer->setSingleShot(true);
    connect(m_closeTimer, &QTimer::timeout, this, &QWidget::close);
}

void ToastWidget::setType(int type)
{
    QString picture = QStringLiteral(":/window/image/dialog_icon_error.png");
    if (type == Info)
        picture = QStringLiteral(":/window/image/dialog_icon_info.png");
    else if (type == Warning)
        picture = QStringLiteral(":/window/image/dialog_icon_warning.png");
    const QPixmap pixmap(picture);
    m_iconLabel->setPixmap(pixmap.isNull()
                               ? QPixmap()
                               : pixmap.scaled(m_iconLabel->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void ToastWidget::setText(const QString& text)
{
    m_textLabel->setText(text);
}

QString ToastWidget::text() const
{
    return m_textLabel->text();
}

void ToastWidget::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

void ToastWidget::popup(int durationMs)
{
    if (QWidget* parent = parentWidget())
        move(parent->mapToGlobal(QPoint(parent->width() - 280, parent->height() - 100)));
    show();
    m_closeTimer->start(durationMs);
}

ToastWidget* ToastWidget::create(QWidget* parent, Type type, const QString& text, bool show, int durationMs)
{
    auto* toast = new ToastWidget(parent);
    toast->setType(type);
    toast->setText(text);
    if (show)
        toast->popup(durationMs);
    return toast;
}

ToastWidget* ToastWidget::showInfo(QWidget* parent, const QString& text, bool show, int durationMs)
{
    return create(parent, Info, text, show, durationMs);
}

ToastWidget* ToastWidget::showError(QWidget* parent, const QString& text, bool show, int durationMs)
{
    return create(parent, Error, text, show, durationMs);
}

} // namespace OV
