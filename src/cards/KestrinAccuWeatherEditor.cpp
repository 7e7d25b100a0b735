#include "cards/KestrinAccuWeatherEditor.h"
#include "core/Utils.h"

#include "core/EventBus.h"
#include "core/ThemeLoader.h"
#include "project/ProjectDbIntegrationBean.h"
#include "project/ProjectIntegrationUseCase.h"
#include "project/ProjectManager.h"
#include "store/StoreUtils.h"
#include "widgets/MessageDialog.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <tuple>
#include <utility>

namespace OV {

namespace {

// The key and unit a stored weather record holds: an empty key and Fahrenheit where missing.
std::pair<QString, bool> storedKeyAndUnit(const BaseResult<ProjectIntegrationUseCase::BeanPtr>& found)
{
    if (!found.isOk() || !*found.data)
        return {QString(), true};
    const nlohmann::json& data = (*found.data)->data;
    const auto key = data.find("apiKey");
    const auto fahrenheit = data.find("isUnitFahrenheit");
    return {key != data.end() && key->is_string() ? OV::fromStdText(key->get<std::string>()) : QString(),
            fahrenheit == data.end() || !fahrenheit->is_boolean() || fahrenheit->get<bool>()};
}

} // namespace

KestrinAccuWeatherEditor::KestrinAccuWeatherEditor(QWidget* parent)
    : BaseDialog(parent), m_useCase(ProjectManager::instance()->getIntegrationUseCase())
{
    setTitle(tr("Accu Weather Api Key"));
    setFixedWindowSize(600, 250);
    auto* content = new QWidget(this);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(20, 10, 20, 10);
    column->setSpacing(0);
    const auto row = [content, column](const QString& text) {
        auto* widget = new QWidget(content);
        widget->setFixedHeight(50);
        auto* layout = new QHBoxLayout(widget);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* label = new QLabel(text, widget);
        label->setFixedWidth(100);
        layout->addWidget(label);
        column->addWidget(widget);
        return layout;
    };
    m_key = new QLineEdit(content);
    m_key->setFixedHeight(32);
    row(tr("Api Key:"))->addWidget(m_key, 1);
    m_fahrenheit = new QRadioButton(tr("Fahrenheit (°F)"), content);
    m_celsius = new QRadioButton(tr("Celsius (°C)"), content);
    m_units = new QButtonGroup(this);
    m_units->setExclusive(true);
    m_units->addButton(m_fahrenheit, kFahrenheit);
    m_units->addButton(m_celsius, kCelsius);
    QHBoxLayout* units = row(tr("Temp Unit:"));
    units->addWidget(m_fahrenheit);
    units->addWidget(m_celsius);
    units->addStretch(1);
    column->addStretch(1);
    setContentWidget(content);
    button1->hide();
    button2->setText(tr("Save"));
    button3->setText(tr("Cancel"));

    // The integration use case serves whichever project is open: the dialog ends with the one
    // it was opened for.
    connect(EventBus::instance(), &EventBus::messagePosted, this,
            [this](const QSharedPointer<EventBusMessage>& message) {
                if (message->topic == QLatin1String(Topics::ProjectClosed))
                    close();
            });

    std::tie(m_shownKey, m_shownFahrenheit) = storedKeyAndUnit(m_useCase->findAccuWeather());
    m_key->setText(m_shownKey);
    (m_shownFahrenheit ? m_fahrenheit : m_celsius)->setChecked(true);
    m_shownKey = m_shownKey.trimmed();
}

nlohmann::json KestrinAccuWeatherEditor::integrationData(const QString& key, bool fahrenheit)
{
    const std::string apiKey = key.trimmed().toStdString();
    return {{"needToDeploy", !apiKey.empty()},
            {"apiKey", apiKey},
            {"isUnitFahrenheit", fahrenheit},
            {"deployData", {{"packageName", kPackageName}, {"config", {{"apiKey", apiKey}, {"metric", !fahrenheit}}}}}};
}

void KestrinAccuWeatherEditor::onThemeChanged(ThemeLoader* loader)
{
    BaseDialog::onThemeChanged(loader);
    setStyleSheet(loader->load(QStringLiteral("profile_editor")));
    button2->setStyleSheet(loader->load(QStringLiteral("primary_button")));
}

void KestrinAccuWeatherEditor::onButton2Clicked()
{
    if (!savedHandler) {
        close();
        return;
    }
    ProjectDbIntegrationBean bean;
    const auto found = m_useCase->findAccuWeather();
    if (found.isOk() && *found.data)
        bean = **found.data;
    // A field the user left as shown keeps what is stored now, which another dialog may have
    // saved since this one opened.
    auto [key, fahrenheit] = storedKeyAndUnit(found);
    if (m_key->text().trimmed() != m_shownKey)
        key = m_key->text();
    if ((m_units->checkedId() == kFahrenheit) != m_shownFahrenheit)
        fahrenheit = m_units->checkedId() == kFahrenheit;
    bean.integType = QString::fromLatin1(ProjectIntegrationUseCase::kAccuWeather);
    bean.setData(integrationData(key, fahrenheit));
    const BaseResult<void> saved = m_useCase->saveAccuWeather(bean);
    if (!saved.isOk()) {
        MessageDialog::error(formatErrorDetails(saved), true);
        return;
    }
    savedHandler(bean.data);
    close();
}

void KestrinAccuWeatherEditor::onButton3Clicked()
{
    close();
}

} // namespace OV
