#pragma once

#include "widgets/BaseDialog.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>

class QButtonGroup;
class QLineEdit;
class QRadioButton;

namespace OV {

class ProjectIntegrationUseCase;

// The project's weather service key and temperature unit, stored as its "accuWeather"
// integration together with what the deploy sends to the hub. The dialog is not modal, so
// another one may save while it is open: its save keeps what is stored for every field its
// user left as shown. It closes when its project closes.
class KestrinAccuWeatherEditor : public BaseDialog
{
    Q_OBJECT
public:
    static constexpr int kFahrenheit = 1;
    static constexpr int kCelsius = 2;
    static constexpr const char* kPackageName = "com.orvelbar.weather";

    explicit KestrinAccuWeatherEditor(QWidget* parent);

    // Called with the stored data after a successful save; without one, "Save" only closes.
    std::function<void(const nlohmann::json& data)> savedHandler;

    QLineEdit* keyEdit() const { return m_key; }
    QRadioButton* fahrenheitButton() const { return m_fahrenheit; }
    QRadioButton* celsiusButton() const { return m_celsius; }

    // The integration data for a key and unit.
    static nlohmann::json integrationData(const QString& key, bool fahrenheit);

protected:
    void onThemeChanged(ThemeLoader* loader) override;
    void onButton2Clicked() override;
    void onButton3Clicked() override;

private:
    std::shared_ptr<ProjectIntegrationUseCase> m_useCase;
    QLineEdit* m_key;
    QButtonGroup* m_units;
    QRadioButton* m_fahrenheit;
    QRadioButton* m_celsius;
    // The values as shown at opening, to tell what the user changed.
    QString m_shownKey;
    bool m_shownFahrenheit = true;
};

} // namespace OV
