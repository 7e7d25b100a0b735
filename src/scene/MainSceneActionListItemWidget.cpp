#include "scene/MainSceneActionListItemWidget.h"

#include "core/ThemeLoader.h"
#include "scene/SceneActionRecord.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QVBoxLayout>

namespace OV {

MainSceneActionListItemWidget::MainSceneActionListItemWidget(const QString& text, QWidget* parent) : QWidget(parent)
{
    setFixedHeight(50);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("background-color: #01010101;"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->setSpacing(6);
    auto* container = new QWidget(this);
    auto* row = new QHBoxLayout(container);
    row->setContentsMargins(8, 0, 8, 0);
    row->setAlignment(Qt::AlignVCenter);
    m_text = text;
    m_text.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    // The description holds names and texts from the hub and the project file: shown as written,
    // with only the colour swatches drawn.
    const QString html = SceneActionRecord::swatchHtml(m_text);
    m_label = new QLabel(container);
    m_label->setTextFormat(html.isEmpty() ? Qt::PlainText : Qt::RichText);
    m_label->setText(html.isEmpty() ? m_text : html);
    m_label->setWordWrap(false);
    m_label->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->addWidget(m_label, 1);
    layout->addWidget(container, 1);
    auto* divider = new QFrame(this);
    divider->setObjectName(QStringLiteral("divider"));
    divider->setFixedHeight(1);
    divider->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    divider->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("list_item")));
    layout->addWidget(divider);
}

QString MainSceneActionListItemWidget::text() const
{
    return m_text;
}

void MainSceneActionListItemWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        auto* menu = new QMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("base")));
        QPointer<MainSceneActionListItemWidget> self(this);
        menu->addAction(tr("Delete"), menu, [self] {
            if (!self || !self->onDelete)
                return;
            // Deleting rebuilds the list and with it this row: run a copy, not the member.
            const std::function<void()> remove = self->onDelete;
            remove();
        });
        menu->popup(event->globalPosition().toPoint());
    }
    QWidget::mousePressEvent(event);
}

} // namespace OV
