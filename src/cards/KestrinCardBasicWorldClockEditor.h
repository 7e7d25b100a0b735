#pragma once

#include "cards/KestrinCardEditor.h"
#include "cards/KestrinChoiceLists.h"

#include <functional>

class QComboBox;
class QLineEdit;

namespace OV {

// The world clock's name and time zone. The zone is stored by its displayed text; a stored
// zone is recognised in either language and kept unless the user picks another. A typed zone
// must name one item of the list, else nothing is saved.
class KestrinCardBasicWorldClockEditor : public KestrinCardEditor
{
    Q_OBJECT
public:
    using SaveDelegate = std::function<void(BaseResultCallback<void>, const QString& name, const QString& timeZone,
                                            const QString& offset)>;

    explicit KestrinCardBasicWorldClockEditor(KestrinCard* card);

    SaveDelegate saveDelegate;

    QLineEdit* nameEdit() const { return m_name; }
    QComboBox* zoneBox() const { return m_zone; }

protected:
    void load() override;
    void onSaveEdit(BaseResultCallback<void> resultCallback) override;

private:
    static constexpr int kNoZone = -1;
    static constexpr int kSeveralZones = -2;
    // The item a typed text names: its exact text, else the one item containing it with letter
    // case ignored; kNoZone or kSeveralZones otherwise.
    int zoneNamedBy(const QString& typed) const;

    QLineEdit* m_name;
    QComboBox* m_zone;
    QList<KestrinChoiceLists::TimeZone> m_zones;
    QString m_language;
    // Set when the user changes the zone after the last load.
    bool m_zoneChanged = false;
};

} // namespace OV
