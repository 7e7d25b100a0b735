#include "widgets/MessageDialog.h"

#include "core/ThemeLoader.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace OV {

namespace {

MessageDialog::AnswerProvider& answerProvider()
{
    static MessageDialog::AnswerProvider provider;
    return provider;
}

} // namespace

MessageDialog::MessageDialog(QWidget* parent, Icon icon) : BaseDialog(parent)
{
    setWindowModality(Qt::ApplicationModal);

    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("messageContent"));
    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(20, 20, 20, 20);
    row->setSpacing(0);
    auto* left = new QVBoxLayout();
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);
    m_iconLabel = new QLabel(content);
    m_iconLabel->setObjectName(QStringLiteral("messageIcon"));
    m_iconLabel->setFixedSize(40, 40);
    m_iconLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    left->addWidget(m_iconLabel);
    auto* right = new QVBoxLayout();
    right->setContentsMargins(20, 0, 0, 0);
    right->setSpacing(0);
    m_textLabel = new QLabel(content);
    m_textLabel->setObjectName(QStringLiteral("messageText"));
    // Messages quote names from outside (profiles, plug-ins, modules): never read as markup.
    m_textLabel->setTextFormat(Qt::PlainText);
    m_textLabel->setWordWrap(true);
    m_textLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_textLabel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    right->addWidget(m_textLabel);
    row->addLayout(left);
    row->addLayout(right);

    setIcon(icon);
    setContentWidget(content);

    button1->hide();
    button2->hide();
    button3->setText(tr("Ok"));
    button3->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("primary_button")));
    button3Handler = [](BaseDialog& dialog) { dialog.close(); };

    setFixedWindowSize(400, 200);
}

void MessageDialog::setIcon(Icon icon)
{
    QString title;
    QString picture;
    switch (icon) {
    case Information:
        title = tr("Information");
        picture = QStringLiteral(":/window/image/dialog_icon_info.png");
        break;
    case Warning:
        title = tr("Warning");
        picture = QStringLiteral(":/window/image/dialog_icon_warning.png");
        break;
    case Error:
        title = tr("Error");
        picture = QStringLiteral(":/window/image/dialog_icon_error.png");
        break;
    }
    if (!title.isEmpty()) {
        setTitle(title);
        setWindowTitle(this->title());
    }
    const QPixmap pixmap = picture.isEmpty() ? QPixmap() : QPixmap(picture);
    m_iconLabel->setPixmap(pixmap.isNull() ? QPixmap()
                                           : pixmap.scaled(m_iconLabel->width(), m_iconLabel->height(),
                                                           Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void MessageDialog::setText(const QString& text)
{
    m_textLabel->setText(text);
    if (isVisible())
        fitToText();
}

void MessageDialog::fitToText()
{
    // The fixed size holds about three short lines; an error with its details needs more, and
    // would otherwise run under the button row.
    if (QLayout* top = layout())
        top->activate();
    if (QLayout* content = m_textLabel->parentWidget()->layout())
        content->activate();
    const int missing = m_textLabel->heightForWidth(m_textLabel->width()) - m_textLabel->height();
    if (missing <= 0)
        return;
    const int limit = screen() ? screen()->availableGeometry().height() : 0;
    const int grown = limit > 0 ? std::min(height() + missing, limit) : height() + missing;
    setFixedWindowSize(width(), grown);
    moveToCenter();
}

QString MessageDialog::text() const
{
    return m_textLabel->text();
}

MessageDialog* MessageDialog::create(Icon icon, const QString& text, bool show)
{
    auto* dialog = new MessageDialog(nullptr, icon);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setText(text);
    if (show)
        dialog->show();
    return dialog;
}

MessageDialog* MessageDialog::error(const QString& text, bool show)
{
    return create(Error, text, show);
}

MessageDialog* MessageDialog::information(const QString& text, bool show)
{
    return create(Information, text, show);
}

MessageDialog* MessageDialog::warning(const QString& text, bool show)
{
    return create(Warning, text, show);
}

MessageDialog* MessageDialog::askSaveChanges(const QString& text, bool show)
{
    auto* dialog = new MessageDialog(nullptr, Information);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setTitle(tr("Save"));
    dialog->setText(text.isEmpty() ? tr("Do you want to save the changes") : text);
    dialog->button1->show();
    dialog->button2->show();
    dialog->button1->setText(tr("Save"));
    dialog->button2->setText(tr("Don't Save"));
    dialog->button3->setText(tr("Cancel"));
    dialog->button1->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("primary_button")));
    dialog->button2->setStyleSheet(QString());
    dialog->button3->setStyleSheet(QString());
    if (show)
        dialog->show();
    return dialog;
}

void MessageDialog::setAnswerProvider(AnswerProvider provider)
{
    answerProvider() = std::move(provider);
}

void MessageDialog::prepareToShow()
{
    // The wrapped text's height follows the width the layouts give the label, and Qt lays out
    // a window's children only as it shows them, after its native window exists. Showing them
    // here (still hidden with the dialog) and laying out from the top lets the dialog take its
    // size before its window is mapped.
    const QList<QWidget*> children = findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (!child->isWindow() && !child->testAttribute(Qt::WA_WState_ExplicitShowHide))
            child->show();
    }
    for (QWidget* widget : QList<QWidget*>{this} + children) {
        if (QLayout* own = widget->layout()) {
            own->invalidate();
            own->activate();
        }
    }
    fitToText();
}

void MessageDialog::showEvent(QShowEvent* event)
{
    BaseDialog::showEvent(event);
    if (!answerProvider())
        return;
    QPointer<MessageDialog> self(this);
    QTimer::singleShot(0, this, [self] {
        if (!self || !self->isVisible() || !answerProvider())
            return;
        switch (answerProvider()(*self)) {
        case 1:
            self->button1->click();
            break;
        case 2:
            self->button2->click();
            break;
        case 3:
            self->button3->click();
            break;
        default:
            break;
        }
    });
}

} // namespace OV
