#include "scene/HotKeySelector.h"

#include "core/ThemeLoader.h"
#include "scene/KeyboardWidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace OV {

HotKeySelector::HotKeySelector(QWidget* parent) : BaseWindow(parent)
{
    setTitle(tr("Hot Key Selector"));
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);
    hideMaximizeButton();
    hideMinimizeButton();

    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    auto* top = new QWidget(content);
    top->setFixedHeight(80);
    auto* topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(new QLabel(tr("Key Combination"), top));
    m_descriptionLabel = new QLabel(top);
    m_descriptionLabel->setObjectName(QStringLiteral("selectorLbKeyDesc"));
    m_descriptionLabel->setFixedHeight(40);
    m_descriptionLabel->setAlignment(Qt::AlignCenter);
    topLayout->addWidget(m_descriptionLabel, 1);
    m_finishButton = new QPushButton(tr("Finish"), top);
    m_finishButton->setObjectName(QStringLiteral("primaryButton"));
    m_finishButton->setFixedHeight(40);
    topLayout->addWidget(m_finishButton);
    m_resetButton = new QPushButton(tr("Reset"), top);
    m_resetButton->setObjectName(QStringLiteral("redButton"));
    m_resetButton->setFixedHeight(40);
    topLayout->addWidget(m_resetButton);
    layout->addWidget(top);
    m_keyboard = new KeyboardWidget(content);
    layout->addWidget(m_keyboard);
    layout->addStretch();
    setContentWidget(content);
    setFixedWindowSize(m_keyboard->width() + 10, m_keyboard->height() + 140);

    m_keyboard->onSelectionChanged = [this](const QList<HidKeyDefinition>& keys) { showSelection(keys); };
    showSelection({});
    connect(m_finishButton, &QPushButton::clicked, this, [this] {
        if (onFinish)
            onFinish(keyCodes, description);
    });
    connect(m_resetButton, &QPushButton::clicked, m_keyboard, &KeyboardWidget::clearSelection);
}

void HotKeySelector::showSelection(const QList<HidKeyDefinition>& keys)
{
    keyCodes.clear();
    description.clear();
    QString codeText;
    for (const HidKeyDefinition& key : keys) {
        if (!keyCodes.isEmpty()) {
            description += QStringLiteral(" + ");
            codeText += QStringLiteral(" + ");
        }
        keyCodes.append(key.code);
        description += QStringLiteral("[") + key.name + QStringLiteral("]");
        codeText += QStringLiteral("[%1]").arg(key.code);
    }
    if (keys.isEmpty()) {
        m_descriptionLabel->setEnabled(false);
        m_descriptionLabel->setText(tr("Select keys below to create your hotkey"));
        m_descriptionLabel->setToolTip(QString());
        return;
    }
    m_descriptionLabel->setEnabled(true);
    m_descriptionLabel->setText(description);
    m_descriptionLabel->setToolTip(QStringLiteral("KeyCodes: ") + codeText);
}

void HotKeySelector::onThemeChanged(ThemeLoader* loader)
{
    setStyleSheet(loader->load(QStringLiteral("hotkey")));
}

} // namespace OV
