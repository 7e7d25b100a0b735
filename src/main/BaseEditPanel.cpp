#include "main/BaseEditPanel.h"

#include "core/ThemeLoader.h"
#include "store/StoreUtils.h"
#include "widgets/BaseWidget.h"
#include "widgets/MessageDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace OV {

BaseEditPanel::BaseEditPanel(QWidget* parent, const QString& titleBarName, int titleBarHeight, const QString& title)
    : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* titleBar = new QWidget(this);
    titleBar->setObjectName(titleBarName);
    titleBar->setAttribute(Qt::WA_StyledBackground);
    titleBar->setFixedHeight(titleBarHeight);
    auto* titleLayout = new QHBoxLayout(titleBar);
    titleLayout->setContentsMargins(10, 0, 10, 0);
    titleLayout->setSpacing(0);
    titleLayout->setAlignment(Qt::AlignVCenter);

    m_titleLabel = new QLabel(title, titleBar);
    m_titleLabel->setTextFormat(Qt::PlainText);
    m_leftSpacer = new QWidget(titleBar);
    m_leftSpacer->setFixedHeight(titleBarHeight);
    m_leftSpacer->hide();
    m_rightSpacer = new QWidget(titleBar);
    m_rightSpacer->setFixedHeight(titleBarHeight);
    m_rightSpacer->hide();
    m_buttonStack = new QStackedWidget(titleBar);
    m_buttonStack->setFixedSize(200, titleBarHeight);

    titleLayout->addWidget(m_titleLabel);
    titleLayout->addStretch(1);
    titleLayout->addWidget(m_leftSpacer);
    titleLayout->addWidget(m_buttonStack);
    titleLayout->addWidget(m_rightSpacer);

    auto* divider = new QWidget(this);
    divider->setObjectName(QStringLiteral("divider"));
    divider->setAttribute(Qt::WA_StyledBackground);
    divider->setFixedHeight(2);

    m_content = new BaseWidget(this);

    layout->addWidget(titleBar);
    layout->addWidget(divider);
    layout->addWidget(m_content, 1);
}

QHBoxLayout* BaseEditPanel::addButtonPage()
{
    auto* page = new QWidget(m_buttonStack);
    auto* pageLayout = new QHBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setAlignment(Qt::AlignVCenter);
    pageLayout->addStretch(1);
    m_buttonStack->addWidget(page);
    return pageLayout;
}

QPushButton* BaseEditPanel::addButton(QHBoxLayout* page, const QString& text, bool primary)
{
    auto* button = new QPushButton(text, page->parentWidget());
    button->setFixedHeight(26);
    if (primary)
        button->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("primary_button")));
    page->addWidget(button);
    return button;
}

void BaseEditPanel::runSave(std::function<void()> onSaved)
{
    QPointer<BaseEditPanel> self(this);
    onSaveEdit([self, onSaved = std::move(onSaved)](const BaseResult<void>& result) {
        if (!self)
            return;
        if (!result.isOk()) {
            MessageDialog::error(formatErrorDetails(result), true);
            return;
        }
        onSaved();
    });
}

void BaseEditPanel::onSaveEdit(BaseResultCallback<void> resultCallback)
{
    if (saveEditHandler) {
        saveEditHandler(std::move(resultCallback));
        return;
    }
    resultCallback(BaseResult<void>::failure(
        Errors::Logic, QStringLiteral("not override function: onSaveEdit(BaseResultCallback<void> resultCallback)")));
}

} // namespace OV
