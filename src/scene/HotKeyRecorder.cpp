#include "scene/HotKeyRecorder.h"

#include "core/ThemeLoader.h"
#include "scene/HotKeyListener.h"
#include "scene/HotKeyRecorderKeyboardBlocker.h"
#include "scene/HotKeySelector.h"
#include "widgets/SelectableLabel.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace OV {

HotKeyRecorder::HotKeyRecorder(QWidget* parent) : QWidget(parent)
{
    setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("hotkey")));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(tr("Key Combination"), this);
    layout->addWidget(group);
    auto* inner = new QVBoxLayout(group);
    inner->setContentsMargins(10, 20, 10, 10);
    inner->setSpacing(10);
    auto* hint = new QLabel(tr("Select the box below, then press any key to set the hotkey"), group);
    hint->setEnabled(false);
    inner->addWidget(hint);
    m_keyBox = new SelectableLabel(group);
    m_keyBox->setObjectName(QStringLiteral("recorderLbHotkey"));
    m_keyBox->setContentsMargins(10, 0, 10, 0);
    m_keyBox->setFixedHeight(50);
    inner->addWidget(m_keyBox);
    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch();
    m_manualButton = new QPushButton(tr("Manual Selection"), group);
    m_manualButton->setFixedHeight(32);
    row->addWidget(m_manualButton);
    inner->addLayout(row);
    inner->addStretch();

    // The application calls its filters newest first: the listener sees each key before the
    // blocker swallows it.
    m_blocker = new HotKeyRecorderKeyboardBlocker(this);
    qApp->installEventFilter(m_blocker);
    m_listener = new HotKeyListener(this);
    m_listener->setCallback([this](const QList<HotkeyHidTable::KeyDefinition>& keys) { onListenerKeys(keys); });
    qApp->installEventFilter(m_listener);
    connect(m_keyBox, &SelectableLabel::selectedChanged, this, [this](bool selected) {
        m_blocker->setEnabled(selected);
        m_listener->clearPressed();
    });
    connect(m_manualButton, &QPushButton::clicked, this, &HotKeyRecorder::openSelector);
}

void HotKeyRecorder::onListenerKeys(const QList<HotkeyHidTable::KeyDefinition>& keys)
{
    if (!m_keyBox->hasFocus())
        return;
    setRecordedKeys(keys);
    if (onChanged)
        onChanged();
}

void HotKeyRecorder::setRecordedKeys(const QList<HotkeyHidTable::KeyDefinition>& keys)
{
    keyCodes.clear();
    description.clear();
    for (const HotkeyHidTable::KeyDefinition& key : keys) {
        if (!keyCodes.isEmpty())
            description += QStringLiteral(" + ");
        keyCodes.append(key.hidCode);
        description += QStringLiteral("[") + key.name + QStringLiteral("]");
    }
    showDescription();
}

void HotKeyRecorder::showDescription()
{
    m_keyBox->setText(description);
}

void HotKeyRecorder::openSelector()
{
    auto* selector = new HotKeySelector(nullptr);
    m_selector = selector;
    QPointer<HotKeyRecorder> self(this);
    QPointer<HotKeySelector> guard(selector);
    selector->onFinish = [self, guard](const QList<int>& codes, const QString& text) {
        if (!self)
            return;
        self->keyCodes = codes;
        self->description = text;
        self->showDescription();
        if (guard)
            guard->close();
        if (self->onChanged)
            self->onChanged();
    };
    selector->show();
}

} // namespace OV
