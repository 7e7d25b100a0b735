#include "cards/KestrinCardBasicWorldClockEditor.h"
#include "core/Utils.h"

#include "cards/KestrinCard.h"
#include "cards/KestrinCardBasicWorldClock.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "widgets/EditStateWatcher.h"
#include "widgets/MessageDialog.h"

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

int KestrinCardBasicWorldClockEditor::zoneNamedBy(const QString& typed) const
{
    const QString text = typed.trimmed();
    int found = kNoZone;
    for (int i = 0; i < m_zones.size(); ++i) {
        const QString item = m_zones[i].text(m_language);
        if (item == text)
            return i;
        // As the completer offers them: letter case ignored, anywhere in the item's text.
        if (!text.isEmpty() && item.contains(text, Qt::CaseInsensitive))
            found = found == kNoZone ? i : kSeveralZones;
    }
    return found;
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
        const QString typed = m_zone->currentText();
        const int index = zoneNamedBy(typed);
        if (index < 0) {
            // Saving anyway would store UTC and lose the zone the card had.
            MessageDialog::error(
                index == kNoZone
                    ? tr("No time zone matches \"%1\". Choose a time zone from the list.").arg(typed)
                    : tr("\"%1\" matches several time zones. Choose a time zone from the list.").arg(typed),
                true);
            return;
        }
        timeZone = m_zones[index].text(m_language);
        offset = m_zones[index].offset;
        // The box shows what is saved, not the fragment typed.
        m_zone->setCurrentIndex(index);
        m_zone->setEditText(timeZone);
    }
    saveDelegate(std::move(resultCallback), m_name->text().trimmed(), timeZone, offset);
}

} // namespace OV
