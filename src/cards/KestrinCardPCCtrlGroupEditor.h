#pragma once

#include "cards/KestrinCardEditor.h"

#include <QPixmap>

#include <functional>

class QLineEdit;

namespace OV {

class KestrinCardIconEditor;

// A plug-in group card's name and icon.
class KestrinCardPCCtrlGroupEditor : public KestrinCardEditor
{
    Q_OBJECT
public:
    using SaveDelegate = std::function<void(BaseResultCallback<void>, const QString& name, const QString& iconText,
                                            const QPixmap& image, int scale)>;

    KestrinCardPCCtrlGroupEditor(KestrinCard* card, const QString& iconText, const QPixmap& image, int scale);

    SaveDelegate saveDelegate;

    QLineEdit* nameEdit() const { return m_name; }
    KestrinCardIconEditor* iconEditor() const { return m_icon; }

protected:
    void load() override;
    void onSaveEdit(BaseResultCallback<void> resultCallback) override;

private:
    QLineEdit* m_name;
    KestrinCardIconEditor* m_icon;
};

} // namespace OV
