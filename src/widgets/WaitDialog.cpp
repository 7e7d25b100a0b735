#include "widgets/WaitDialog.h"

#include "widgets/AnchorLayout.h"
#include "widgets/AnchorLine.h"
#include "widgets/BusyIndicator.h"

#include <QLabel>

namespace OV {

WaitDialog::WaitDialog(QWidget* parent, int timeoutMs) : BaseWindow(parent), m_timeoutMs(timeoutMs)
{
    m_timer = new QTimer(this);
    hideTitleBar();
    setFixedWindowSize(250, 100);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);

    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("waitContent"));
    setContentWidget(content);
    m_indicator = new BusyIndicator(content);
    m_indicator->setFixedSize(50, 50);
    m_textLabel = new QLabel(content);
    m_textLabel->setObjectName(QStringLiteral("waitText"));
    m_textLabel->setTextFormat(Qt::PlainText);
    m_textLabel->setWordWrap(true);
    m_textLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_textLabel->setFixedHeight(60);

    AnchorLayout* contentAnchors = AnchorLayout::get(content);
    AnchorLayout* indicator = AnchorLayout::get(m_indicator);
    indicator->verticalCenter()->anchorTo(contentAnchors->verticalCenter());
    indicator->left()->anchorTo(contentAnchors->left())->setMargin(20);
    AnchorLayout* label = AnchorLayout::get(m_textLabel);
    label->verticalCenter()->anchorTo(contentAnchors->verticalCenter());
    label->left()->anchorTo(indicator->right())->setMargin(20);
    label->right()->anchorTo(contentAnchors->right())->setMargin(20);

    m_timer->setSingleShot(true);
    // Connected once: however often the dialog is shown, one time-out closes it once.
    connect(m_timer, &QTimer::timeout, this, &QWidget::close);
}

void WaitDialog::setText(const QString& text)
{
    m_textLabel->setText(text);
}

QString WaitDialog::text() const
{
    return m_textLabel->text();
}

void WaitDialog::showEvent(QShowEvent* event)
{
    if (m_timeoutMs >= 0)
        m_timer->start(m_timeoutMs);
    BaseWindow::showEvent(event);
}

} // namespace OV
