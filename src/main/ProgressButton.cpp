#include "main/ProgressButton.h"

#include "core/PngPicture.h"
#include "widgets/BusyIndicator.h"

#include <QLabel>
#include <QPixmap>

namespace OV {

ProgressButton::ProgressButton(const QString& iconPath, QWidget* parent) : QPushButton(parent)
{
    setObjectName(QStringLiteral("customButton"));
    m_iconLabel = new QLabel(this);
    m_iconLabel->setPixmap(PngPicture::pixmap(iconPath));
    m_iconLabel->setScaledContents(true);
    m_busyIndicator = new BusyIndicator(this);
    m_busyIndicator->hide();
}

void ProgressButton::setBusy(bool busy)
{
    m_busy = busy;
    m_busyIndicator->setVisible(busy);
    m_iconLabel->setVisible(!busy);
    setEnabled(!busy);
}

} // namespace OV
