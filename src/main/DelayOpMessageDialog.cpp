#include "main/DelayOpMessageDialog.h"

#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace OV {

namespace {
constexpr const char* kRemaining = "remaining";
constexpr int kConfirmWidth = 100;
} // namespace

DelayOpMessageDialog::DelayOpMessageDialog(QWidget* parent) : MessageDialog(parent)
{
    setFixedWindowSize(400, 200);
    button2->show();
    button3->show();
    button2->setEnabled(false);
    button2->setFixedWidth(kConfirmWidth);
    button3->setText(QStringLiteral("Cancel"));
    button3Handler = [](BaseDialog& dialog) { dialog.close(); };
    m_confirmText = tr("Ok");
    m_timer = new QTimer(this);
    m_timer->setInterval(1000);
    // Connected once here: a second show restarts the countdown at the same pace.
    connect(m_timer, &QTimer::timeout, this, &DelayOpMessageDialog::tick);
}

void DelayOpMessageDialog::onThemeChanged(ThemeLoader* loader)
{
    MessageDialog::onThemeChanged(loader);
    button2->setObjectName(QStringLiteral("primaryButton"));
    button3->setStyleSheet(QString());
    button2->style()->unpolish(button2);
    button2->style()->polish(button2);
    button2->update();
}

void DelayOpMessageDialog::showEvent(QShowEvent* event)
{
    button2->setEnabled(false);
    button2->setText(tr("%1 (%2s)").arg(m_confirmText).arg(m_delay));
    m_timer->setProperty(kRemaining, m_delay);
    m_timer->start();
    MessageDialog::showEvent(event);
    if (showHandler)
        showHandler(event);
    // The count-down text is the widest the button shows; its style (set by the theme or the
    // show handler) decides how wide that is.
    button2->setFixedWidth(std::max(kConfirmWidth, button2->sizeHint().width()));
}

void DelayOpMessageDialog::tick()
{
    const int remaining = m_timer->property(kRemaining).toInt() - 1;
    m_timer->setProperty(kRemaining, remaining);
    if (remaining < 1) {
        m_timer->stop();
        button2->setEnabled(true);
        button2->setText(tr("%1").arg(m_confirmText));
        return;
    }
    button2->setText(tr("%1 (%2s)").arg(m_confirmText).arg(remaining));
}

} // namespace OV
