#include "cards/KestrinCardBasicWorldClockEditor.h"
#include "core/Utils.h"

#include "cards/KestrinCard.h"
#include "cards/KestrinCardBasicWorldClock.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "widgets/EditStateWatcher.h"

#include <QComboBox>
#include <QLineEdit>

namespace OV {

KestrinCardBasicWorldClockEditor::KestrinCardBasicWorldClockEditor(KestrinCard* card)
    : KestrinCardEditor(card, tr("World Clock"), "KestrinCardBasicWorldClockEditor"), m_name(new QLineEdit),
      m_zone(new QComboBox), m_zones(KestrinChoiceLists::timeZones()), m_language(KestrinChoiceLists::language())
{
    m_name->setFixedSize(400, 32);
    m_name->setMaxLength(64);
    m_zone->setFixedSize(400, 32);
    m_zone->setEditable(true);
    QStringList texts;
    for (const KestrinChoiceLists::TimeZone& zone : m_zones)
        texts << zone.text(m_language);
    KestrinChoiceLists::setSearchableItems(m_zone, texts);
    addRow(tr("Name"), m_name);
    addRow(tr("Time Zone"), m_zone);
    reload();
    watcher()->watch(m_name);
    watcher()->watch(m_zone);
    const auto changed = [this] {
        if (watcher()->isWatching())
            m_zoneChanged = true;
    };
    connect(m_zone, &QComboBox::currentIndexChanged, this, changed);
    connect(m_zone, &QComboBox::editTextChanged, this, changed);
}

void KestrinCardBasicWorldClockEditor::load()
{
    const QString stored = OV::fromStdText(card()->configuration().at("timeZone").get<std::string>());
    m_name->setText(card()->bean()->name);
    int index = 0;
    for (int i = 0; i < m_zones.size(); ++i) {
        if (m_zones[i].textEn == stored || m_zones[i].textZh == stored) {
            index = i;
            break;
        }
    }
    m_zone->setCurrentIndex(index);
    m_zoneChanged = false;
}

void KestrinCardBasicWorldClockEditor::onSaveEdit(BaseResultCallback<void> resultCallback)
{
    if (!saveDelegate || !card())
        return;
    const nlohmann::json& config = card()->configuration();
    QString timeZone;
    QString offset = QString::fromLatin1(KestrinCardBasicWorldClock::kDefaultOffset);
    if (!m_zoneChanged && config.contains("timeZone") && config.at("timeZone").is_string()) {
        // Untouched: the stored zone stays, also when it was stored in another language.
        timeZone = OV::fromStdText(config.at("timeZone").get<std::string>());
        offset = OV::fromStdText(config.value("offset", offset.toStdString()));
    } else {
        const QString text = m_zone->currentText();
        for (const KestrinChoiceLists::TimeZone& zone : m_zones) {
            if (zone.text(m_language) == text) {
                timeZone = text;
                offset = zone.offset;
                break;
            }
        }
    }
    saveDelegate(std::move(resultCallback), m_name->text().trimmed(), timeZone, offset);
}

} // namespace OV
