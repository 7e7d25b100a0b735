#include "cards/KestrinCardEditor.h"

#include "cards/KestrinCard.h"
#include "core/Logger.h"
#include "widgets/BaseWidget.h"
#include "widgets/EditStateWatcher.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace OV {

KestrinCardEditor::KestrinCardEditor(KestrinCard* card, const QString& title, const char* tag)
    : MainProfileParamsEditor(card), m_tag(tag), m_card(card), m_form(new QVBoxLayout(contentWidget()))
{
    titleLabel()->setText(title);
    resetButton()->show();
    m_form->setContentsMargins(0, 0, 0, 0);
    m_form->setSpacing(0);
    m_form->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
}

void KestrinCardEditor::reload()
{
    watcher()->setWatching(false);
    try {
        if (m_card)
            load();
    } catch (const std::exception& e) {
        Logger::error(m_tag, "initUI error:%s", e.what());
    }
    watcher()->setWatching(true);
}

void KestrinCardEditor::onResetEdit()
{
    reload();
    watcher()->clearDirty();
    saveButton()->setEnabled(false);
}

QLabel* KestrinCardEditor::makeLabel(const QString& text, int width, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFixedWidth(width);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QWidget* KestrinCardEditor::addRow(const QString& label, QWidget* input, int labelWidth)
{
    auto* row = new QWidget(contentWidget());
    row->setFixedSize(kRowWidth, kRowHeight);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(16, 0, 16, 0);
    layout->addWidget(makeLabel(label, labelWidth, row));
    input->setParent(row);
    layout->addWidget(input, 1, Qt::AlignLeft);
    m_form->addWidget(row);
    return row;
}

QWidget* KestrinCardEditor::addFrameRow(QWidget* frame, QVBoxLayout* column, const QString& label, QWidget* input)
{
    auto* row = new QWidget(frame);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(16, 16, 16, 0);
    auto* text = new QLabel(label, row);
    text->setTextFormat(Qt::PlainText);
    text->setMinimumWidth(80);
    layout->addWidget(text, 0, Qt::AlignTop);
    input->setParent(row);
    layout->addWidget(input, 1, Qt::AlignLeft);
    column->addWidget(row);
    return row;
}

} // namespace OV
