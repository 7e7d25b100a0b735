#pragma once

#include "cards/KestrinCardEditor.h"

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace OV {

// The weather card's coordinates, with the state of the project's weather key and the button
// that opens its editor.
class KestrinCardBasicAccuWeatherEditor : public KestrinCardEditor
{
    Q_OBJECT
public:
    using SaveDelegate =
        std::function<void(BaseResultCallback<void>, const QString& latitude, const QString& longitude)>;

    explicit KestrinCardBasicAccuWeatherEditor(KestrinCard* card);

    SaveDelegate saveDelegate;

    // True for an empty text or a finite number in [-limit, limit].
    static bool isValidCoordinate(const QString& text, double limit);

    QLineEdit* latitudeEdit() const { return m_latitude; }
    QLineEdit* longitudeEdit() const { return m_longitude; }
    QLabel* keyStateLabel() const { return m_keyState; }
    QPushButton* keyButton() const { return m_keyButton; }
    // Opens the weather integration editor; its save refreshes the key state.
    void openKeyEditor();

protected:
    void load() override;
    void onSaveEdit(BaseResultCallback<void> resultCallback) override;

private:
    // "Configured" or "Not configured" from the project's weather record.
    void loadKeyState();

    QLabel* m_keyState;
    QPushButton* m_keyButton;
    QLineEdit* m_latitude;
    QLineEdit* m_longitude;
};

} // namespace OV
