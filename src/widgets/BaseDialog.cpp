#include "widgets/BaseDialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace OV {

BaseDialog::BaseDialog(QWidget* parent) : BaseWindow(parent)
{
    resize(500, 250);
    hideMinimizeButton();
    hideMaximizeButton();

    m_body = new QWidget(this);
    auto* bodyLayout = new QVBoxLayout(m_body);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->setSpacing(10);
    m_contentArea = new QWidget(m_body);
    bodyLayout->addWidget(m_contentArea, 1);

    auto* buttonRow = new QWidget(m_body);
    buttonRow->setObjectName(QStringLiteral("dialogButtonRow"));
    auto* rowLayout = new QHBoxLayout(buttonRow);
    rowLayout->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    rowLayout->setContentsMargins(10, 10, 10, 10);
    button1 = new QPushButton(QStringLiteral("button1"), buttonRow);
    button2 = new QPushButton(QStringLiteral("button2"), buttonRow);
    button3 = new QPushButton(QStringLiteral("button3"), buttonRow);
    for (QPushButton* button : {button1, button2, button3}) {
        button->setMinimumSize(80, 32);
        rowLayout->addWidget(button);
    }
    bodyLayout->addWidget(buttonRow);

    BaseWindow::setContentWidget(m_body);
    moveToCenter();
    for (QPushButton* button : {button1, button2, button3})
        connect(button, &QPushButton::clicked, this, &BaseDialog::onClick);
}

void BaseDialog::setContentWidget(QWidget* widget)
{
    setStackedContent(m_contentArea, widget);
}

void BaseDialog::onClick()
{
    // Handlers run from copies: a handler may replace itself or close the dialog.
    QObject* button = sender();
    std::function<void(BaseDialog&)> handler;
    if (button == button1) {
        onButton1Clicked();
        handler = button1Handler;
    } else if (button == button2) {
        onButton2Clicked();
        handler = button2Handler;
    } else if (button == button3) {
        onButton3Clicked();
        handler = button3Handler;
    }
    if (handler)
        handler(*this);
}

void BaseDialog::onButton1Clicked() {}
void BaseDialog::onButton2Clicked() {}
void BaseDialog::onButton3Clicked() {}

} // namespace OV
