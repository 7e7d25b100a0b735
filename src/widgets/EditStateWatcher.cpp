#include "widgets/EditStateWatcher.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace OV {

EditStateWatcher::EditStateWatcher(QObject* parent) : QObject(parent) {}

void EditStateWatcher::watch(QCheckBox* box)
{
    connect(box, &QCheckBox::stateChanged, this, &EditStateWatcher::markDirty);
}

void EditStateWatcher::watch(QComboBox* box)
{
    connect(box, &QComboBox::currentIndexChanged, this, &EditStateWatcher::markDirty);
    // Text typed into an editable box is an edit too, before any item is picked.
    connect(box, &QComboBox::editTextChanged, this, &EditStateWatcher::markDirty);
}

void EditStateWatcher::watch(QLineEdit* edit)
{
    connect(edit, &QLineEdit::textChanged, this, &EditStateWatcher::markDirty);
}

void EditStateWatcher::watch(QPlainTextEdit* edit)
{
    connect(edit, &QPlainTextEdit::textChanged, this, &EditStateWatcher::markDirty);
}

void EditStateWatcher::markDirty()
{
    if (!m_watching || m_dirty)
        return;
    m_dirty = true;
    if (m_dirtyCallback)
        m_dirtyCallback();
    emit changedSignal();
}

} // namespace OV
