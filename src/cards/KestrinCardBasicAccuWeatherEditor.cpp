#include "cards/KestrinCardBasicAccuWeatherEditor.h"
#include "core/Utils.h"

#include "cards/KestrinAccuWeatherEditor.h"
#include "cards/KestrinCard.h"
#include "project/ProjectDbIntegrationBean.h"
#include "project/ProjectIntegrationUseCase.h"
#include "project/ProjectManager.h"
#include "widgets/EditStateWatcher.h"
#include "widgets/MessageDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace OV {

KestrinCardBasicAccuWeatherEditor::KestrinCardBasicAccuWeatherEditor(KestrinCard* card)
    : KestrinCardEditor(card, tr("Accu Weather"), "KestrinCardBasicAccuWeatherEditor"), m_keyState(new QLabel),
      m_keyButton(new QPushButton), m_latitude(new QLineEdit), m_longitude(new QLineEdit)
{
    auto* keyRow = new QWidget;
    auto* keyLayout = new QHBoxLayout(keyRow);
    keyLayout->setContentsMargins(0, 0, 0, 0);
    m_keyState->setFixedSize(120, 32);
    m_keyButton->setFixedSize(28, 28);
    m_keyButton->setIcon(QIcon(QStringLiteral(":/image/icon_settings_32x32.png")));
    m_keyButton->setIconSize(QSize(18, 18));
    keyLayout->addWidget(m_keyState);
    keyLayout->addWidget(m_keyButton);
    keyLayout->addStretch(1);
    keyRow->setFixedWidth(300);
    addRow(tr("Api Key:"), keyRow, 100);
    for (QLineEdit* edit : {m_latitude, m_longitude}) {
        edit->setFixedSize(300, 32);
        edit->setMaxLength(10);
    }
    addRow(tr("Latitude"), m_latitude, 100);
    addRow(tr("Longitude"), m_longitude, 100);
    auto* hint = new QLabel(tr("If no coordinates are configured, the weather for the current network location will "
                               "be used."),
                            contentWidget());
    hint->setWordWrap(true);
    hint->setEnabled(false);
    auto* hintRow = new QWidget(contentWidget());
    hintRow->setFixedWidth(kRowWidth);
    auto* hintLayout = new QVBoxLayout(hintRow);
    hintLayout->setContentsMargins(120, 10, 40, 0);
    hintLayout->addWidget(hint);
    form()->addWidget(hintRow);
    connect(m_keyButton, &QPushButton::clicked, this, &KestrinCardBasicAccuWeatherEditor::openKeyEditor);
    reload();
    watcher()->watch(m_latitude);
    watcher()->watch(m_longitude);
}

bool KestrinCardBasicAccuWeatherEditor::isValidCoordinate(const QString& text, double limit)
{
    if (text.isEmpty())
        return true;
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) && value >= -limit && value <= limit;
}

void KestrinCardBasicAccuWeatherEditor::openKeyEditor()
{
    auto* dialog = new KestrinAccuWeatherEditor(nullptr);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const QPointer<KestrinCardBasicAccuWeatherEditor> self(this);
    // Only the key state follows the save: coordinates typed meanwhile are not saved yet.
    dialog->savedHandler = [self](const nlohmann::json&) {
        if (self)
            self->loadKeyState();
    };
    dialog->show();
}

void KestrinCardBasicAccuWeatherEditor::load()
{
    loadKeyState();
    const nlohmann::json& config = card()->configuration();
    m_latitude->setText(OV::fromStdText(config.value("latitude", std::string())));
    m_longitude->setText(OV::fromStdText(config.value("longitude", std::string())));
}

void KestrinCardBasicAccuWeatherEditor::loadKeyState()
{
    const auto found = ProjectManager::instance()->getIntegrationUseCase()->findAccuWeather();
    bool configured = false;
    if (found.isOk() && *found.data) {
        const nlohmann::json& data = (*found.data)->data;
        const auto key = data.find("apiKey");
        configured = key != data.end() && key->is_string() && !key->get<std::string>().empty();
    }
    m_keyState->setText(configured ? tr("Configured") : tr("Not configured"));
    m_keyState->setStyleSheet(configured ? QStringLiteral("color: #f1f1f1;") : QStringLiteral("color: #d16d6d;"));
}

void KestrinCardBasicAccuWeatherEditor::onSaveEdit(BaseResultCallback<void> resultCallback)
{
    const QString latitude = m_latitude->text().trimmed();
    const QString longitude = m_longitude->text().trimmed();
    if (!isValidCoordinate(latitude, 90)) {
        MessageDialog::error(tr("invalid latitude:") + latitude, true);
        return;
    }
    if (!isValidCoordinate(longitude, 180)) {
        MessageDialog::error(tr("invalid longitude:") + longitude, true);
        return;
    }
    if (saveDelegate)
        saveDelegate(std::move(resultCallback), latitude, longitude);
}

} // namespace OV
