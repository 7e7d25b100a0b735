#include "module/ModuleCommonKnobConfigPanel.h"
#include "core/Utils.h"

#include "scene/MainKnobCtrlDevicePicker.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <stdexcept>

namespace OV {

namespace {

QString textOf(const nlohmann::json& object, const char* key)
{
    const auto found = object.is_object() ? object.find(key) : object.end();
    return object.is_object() && found != object.end() && found->is_string()
               ? OV::fromStdText(found->get<std::string>())
               : QString();
}

} // namespace

ModuleCommonKnobConfigPanel::ModuleCommonKnobConfigPanel(QWidget* parent, EditStateWatcher* watcher)
    : ModuleEventPanel(parent, watcher)
{
    m_deviceRow = new QWidget(this);
    auto* row = new QHBoxLayout(m_deviceRow);
    row->setContentsMargins(10, 16, 10, 0);
    row->addWidget(new QLabel(tr("Device"), m_deviceRow));
    m_deviceEdit = new QLineEdit(m_deviceRow);
    m_deviceEdit->setFixedSize(350, 32);
    m_deviceEdit->setEnabled(false);
    m_deviceEdit->setPlaceholderText(tr("Choose the device controlled by the knob"));
    row->addWidget(m_deviceEdit);
    m_chooseButton = new QPushButton(tr("Choose"), m_deviceRow);
    m_chooseButton->setFixedHeight(32);
    row->addWidget(m_chooseButton);
    m_clearButton = new QPushButton(tr("Clear"), m_deviceRow);
    m_clearButton->setFixedHeight(32);
    m_clearButton->setEnabled(false);
    row->addWidget(m_clearButton);
    row->addStretch();
    m_contentLayout->addWidget(m_deviceRow);
    m_contentLayout->addStretch();

    connect(m_enabledBox, &QCheckBox::toggled, this, [this](bool on) {
        m_deviceRow->setEnabled(on);
        markChanged();
    });
    connect(m_chooseButton, &QPushButton::clicked, this, &ModuleCommonKnobConfigPanel::openPicker);
    connect(m_clearButton, &QPushButton::clicked, this, &ModuleCommonKnobConfigPanel::clearDevice);
}

QString ModuleCommonKnobConfigPanel::eventLabel(const std::string& eventId)
{
    if (eventId == "turnLeft")
        return tr("Turn Left");
    if (eventId == "turnRight")
        return tr("Turn Right");
    throw std::invalid_argument("invalid eventId: " + eventId);
}

void ModuleCommonKnobConfigPanel::setKnobConfig(const QString& keyLabel, const std::string& eventId,
                                                nlohmann::json& knobConfig)
{
    const QString label = eventLabel(eventId);
    saveCurrentEvent();
    if (!knobConfig.is_object())
        knobConfig = nlohmann::json::object();
    if (!knobConfig.contains(eventId))
        knobConfig[eventId] = nlohmann::json::object();
    m_event = &knobConfig[eventId];
    m_titleLabel->setText(QStringLiteral("%1-%2").arg(keyLabel, label));
    m_enabledBox->setChecked(enabledOf(*m_event));
    m_deviceRow->setEnabled(m_enabledBox->isChecked());
    m_deviceName = textOf(*m_event, "deviceName");
    m_deviceId = textOf(*m_event, "deviceId");
    m_deviceType = textOf(*m_event, "deviceType");
    m_deviceEdit->setText(m_deviceName.trimmed());
    m_clearButton->setEnabled(!m_deviceEdit->text().isEmpty());
}

void ModuleCommonKnobConfigPanel::saveCurrentEvent()
{
    if (!m_event)
        return;
    nlohmann::json& e = *m_event;
    if (!e.is_object())
        e = nlohmann::json::object();
    e["enabled"] = m_enabledBox->isChecked();
    e["deviceName"] = m_deviceName.toStdString();
    e["deviceId"] = m_deviceId.toStdString();
    e["deviceType"] = m_deviceType.toStdString();
}

void ModuleCommonKnobConfigPanel::forgetEvent()
{
    m_event = nullptr;
}

void ModuleCommonKnobConfigPanel::openPicker()
{
    const std::shared_ptr<MainKnobCtrlDevicePicker> picker = MainKnobCtrlDevicePicker::instance();
    QPointer<ModuleCommonKnobConfigPanel> self(this);
    MainKnobCtrlDevicePicker* raw = picker.get();
    picker->onDeviceChosen = [self, raw](const nlohmann::json& node) {
        if (!self)
            return;
        self->onDeviceChosen(node);
        raw->hide();
    };
    picker->show();
}

void ModuleCommonKnobConfigPanel::onDeviceChosen(const nlohmann::json& node)
{
    m_deviceName = textOf(node, "name");
    m_deviceId = textOf(node, "id");
    m_deviceType = textOf(node, "type");
    m_deviceEdit->setText(m_deviceName.trimmed());
    m_clearButton->setEnabled(!m_deviceEdit->text().isEmpty());
    markChanged();
}

void ModuleCommonKnobConfigPanel::clearDevice()
{
    m_deviceName.clear();
    m_deviceId.clear();
    m_deviceType.clear();
    m_deviceEdit->clear();
    m_clearButton->setEnabled(false);
    markChanged();
}

} // namespace OV
