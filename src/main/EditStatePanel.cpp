#include "main/EditStatePanel.h"

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

namespace {
constexpr int kTitleBarHeight = 34;
}

EditStatePanel::EditStatePanel(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* titleBar = new QWidget(this);
    titleBar->setObjectName(QStringLiteral("titleBar2"));
    titleBar->setAttribute(Qt::WA_StyledBackground);
    titleBar->setFixedHeight(kTitleBarHeight);
    auto* titleLayout = new QHBoxLayout(titleBar);
    titleLayout->setContentsMargins(10, 0, 10, 0);
    titleLayout->setSpacing(0);
    titleLayout->setAlignment(Qt::AlignVCenter);

    m_titleLabel = new QLabel(tr("EditStatePanel"), titleBar);
    m_leftSpacer = new QWidget(titleBar);
    m_leftSpacer->setFixedHeight(kTitleBarHeight);
    m_leftSpacer->hide();
    m_rightSpacer = new QWidget(titleBar);
    m_rightSpacer->setFixedHeight(kTitleBarHeight);
    m_rightSpacer->hide();
    m_buttonStack = new QStackedWidget(titleBar);
    m_buttonStack->setFixedSize(200, kTitleBarHeight);

    const QString primary = ThemeLoader::instance()->load(QStringLiteral("primary_button"));
    auto* viewPage = new QWidget(m_buttonStack);
    auto* viewLayout = new QHBoxLayout(viewPage);
    viewLayout->setContentsMargins(0, 0, 0, 0);
    viewLayout->setAlignment(Qt::AlignVCenter);
    viewLayout->addStretch(1);
    m_editButton = new QPushButton(tr("Edit"), viewPage);
    m_editButton->setFixedHeight(26);
    m_editButton->setStyleSheet(primary);
    viewLayout->addWidget(m_editButton);

    auto* editPage = new QWidget(m_buttonStack);
    auto* editLayout = new QHBoxLayout(editPage);
    editLayout->setContentsMargins(0, 0, 0, 0);
    editLayout->setAlignment(Qt::AlignVCenter);
    editLayout->addStretch(1);
    m_saveButton = new QPushButton(tr("Save"), editPage);
    m_saveButton->setFixedHeight(26);
    m_saveButton->setStyleSheet(primary);
    m_cancelButton = new QPushButton(tr("Cancel"), editPage);
    m_cancelButton->setFixedHeight(26);
    editLayout->addWidget(m_saveButton);
    editLayout->addWidget(m_cancelButton);

    m_buttonStack->addWidget(viewPage);
    m_buttonStack->addWidget(editPage);
    m_buttonStack->setCurrentIndex(0);

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
    m_content->setEnabled(false);

    layout->addWidget(titleBar);
    layout->addWidget(divider);
    layout->addWidget(m_content, 1);

    connect(m_editButton, &QPushButton::clicked, this, [this] { enterEdit(); });
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { exitEdit(false); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] { saveEdit(); });
}

void EditStatePanel::enterEdit()
{
    if (m_editing)
        return;
    m_buttonStack->setCurrentIndex(1);
    m_content->setEnabled(true);
    m_editing = true;
    onEnterEdit();
    if (enterEditHandler)
        enterEditHandler();
}

void EditStatePanel::exitEdit(bool)
{
    if (!m_editing)
        return;
    // The question is asked whether or not anything changed; "Cancel" keeps editing.
    MessageDialog* dialog = MessageDialog::askSaveChanges(QString(), true);
    QPointer<EditStatePanel> self(this);
    dialog->button1Handler = [self](BaseDialog& box) {
        box.close();
        if (self)
            self->saveEdit();
    };
    dialog->button2Handler = [self](BaseDialog& box) {
        box.close();
        if (self)
            self->finishEdit(false);
    };
}

void EditStatePanel::saveEdit()
{
    QPointer<EditStatePanel> self(this);
    onSaveEdit([self](const BaseResult<void>& result) {
        if (!self)
            return;
        if (!result.isOk()) {
            MessageDialog::error(formatErrorDetails(result), true);
            return;
        }
        self->finishEdit(true);
    });
}

void EditStatePanel::finishEdit(bool saved)
{
    m_buttonStack->setCurrentIndex(0);
    m_content->setEnabled(false);
    m_editing = false;
    onExitEdit(saved);
    if (exitEditHandler)
        exitEditHandler(saved);
}

void EditStatePanel::onEnterEdit() {}

void EditStatePanel::onExitEdit(bool) {}

void EditStatePanel::onSaveEdit(BaseResultCallback<void> resultCallback)
{
    if (saveEditHandler) {
        saveEditHandler(std::move(resultCallback));
        return;
    }
    resultCallback(BaseResult<void>::failure(
        Errors::Logic, QStringLiteral("not override function: onSaveEdit(BaseResultCallback<void> resultCallback)")));
}

} // namespace OV
