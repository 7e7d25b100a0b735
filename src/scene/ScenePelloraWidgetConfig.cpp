#include "scene/ScenePelloraWidgetConfig.h"

#include "core/Logger.h"
#include "core/Utils.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "scene/SceneActionRecord.h"
#include "widgets/EditStateWatcher.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <charconv>
#include <stdexcept>

namespace OV {

namespace {

int64_t parseModuleId(const std::string& text)
{
    int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec == std::errc::result_out_of_range)
        throw std::out_of_range("stoll argument out of range");
    if (ec != std::errc() || ptr != end || text.empty())
        throw std::invalid_argument("invalid stoll argument");
    return value;
}

QString idText(const nlohmann::json& value)
{
    if (value.is_number_integer())
        return QString::number(value.get<int64_t>());
    if (value.is_number())
        return QString::number(int64_t(value.get<double>()));
    if (value.is_string())
        return OV::fromStdText(value.get<std::string>());
    return {};
}

QGroupBox* comboGroup(const QString& title, QComboBox* combo, QWidget* parent)
{
    auto* group = new QGroupBox(title, parent);
    auto* inner = new QVBoxLayout(group);
    inner->setContentsMargins(4, 16, 4, 8);
    combo->setFixedHeight(32);
    inner->addWidget(combo);
    return group;
}

} // namespace

ScenePelloraWidgetConfig::ScenePelloraWidgetConfig(const std::string& id, const nlohmann::json& node, QWidget* parent)
    : SceneActionExPanel(node, parent)
{
    m_moduleId = parseModuleId(id);
    const auto useCase = ProjectManager::instance()->getModuleUseCase();
    const auto found =
        useCase ? useCase->accessor->findById(m_moduleId) : BaseResult<std::shared_ptr<ProjectDbModuleBean>>();
    if (!useCase || !found.isOk() || !found.data || !*found.data)
        throw std::invalid_argument("invalid pelloraId:" + id);
    m_module = *found.data;

    auto* row = new QHBoxLayout(this);
    auto* device = new QLabel(this);
    device->setObjectName(QStringLiteral("pelloraDevice"));
    device->setFixedSize(160, 160);
    device->setAlignment(Qt::AlignCenter);
    auto* deviceLayout = new QVBoxLayout(device);
    deviceLayout->setContentsMargins(0, 0, 0, 0);
    auto* screen = new QWidget(device);
    screen->setObjectName(QStringLiteral("pelloraScreen"));
    screen->setAttribute(Qt::WA_StyledBackground);
    screen->setFixedSize(110, 110);
    auto* screenLayout = new QVBoxLayout(screen);
    screenLayout->setContentsMargins(0, 0, 0, 0);
    m_preview = new QLabel(screen);
    m_preview->setFixedSize(110, 110);
    m_preview->setAlignment(Qt::AlignCenter);
    screenLayout->addWidget(m_preview, 0, Qt::AlignCenter);
    deviceLayout->addWidget(screen, 0, Qt::AlignCenter);
    row->addWidget(device, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout();
    column->setContentsMargins(10, 0, 10, 10);
    m_layerBox = new QComboBox(this);
    m_widgetBox = new QComboBox(this);
    m_widgetBox->setIconSize(QSize(20, 20));
    auto wrap = [this](QGroupBox* group) {
        auto* outer = new QWidget(this);
        auto* outerLayout = new QVBoxLayout(outer);
        outerLayout->setContentsMargins(8, 10, 8, 8);
        group->setParent(outer);
        outerLayout->addWidget(group);
        return outer;
    };
    column->addWidget(wrap(comboGroup(tr("Layer"), m_layerBox, this)));
    column->addWidget(wrap(comboGroup(tr("Widget"), m_widgetBox, this)));
    column->addStretch();
    row->addLayout(column, 1);

    try {
        if (jsonContainsPath(m_module->data, {QStringLiteral("dataConfig"), QStringLiteral("layers")})) {
            const nlohmann::json& layers = m_module->data["dataConfig"]["layers"];
            if (layers.is_array()) {
                m_layers = layers;
                for (const nlohmann::json& layer : m_layers)
                    m_layerBox->addItem(OV::fromStdText(layer.at("name").get<std::string>()));
            }
        }
    } catch (const std::exception& e) {
        Logger::error(kTag, "init UI error: %s", e.what());
    }
    connect(m_layerBox, &QComboBox::currentIndexChanged, this, &ScenePelloraWidgetConfig::onLayerChosen);
    connect(m_widgetBox, &QComboBox::currentIndexChanged, this, &ScenePelloraWidgetConfig::onWidgetChosen);
    onLayerChosen(m_layerBox->currentIndex());
}

QPixmap ScenePelloraWidgetConfig::storedPicture(const nlohmann::json& widget) const
{
    const auto iconIt = widget.find("icon");
    if (iconIt == widget.end() || !iconIt->is_string())
        return {};
    const auto database = ProjectManager::instance()->getModuleUseCase()->accessor->database();
    const auto bytes = database->loadFile(m_moduleId, OV::fromStdText(iconIt->get<std::string>()));
    QPixmap picture;
    if (bytes.isOk() && bytes.data)
        picture.loadFromData(*bytes.data);
    return picture;
}

void ScenePelloraWidgetConfig::onLayerChosen(int index)
{
    m_layerIndex = index;
    if (index < 0)
        return;
    try {
        const QSignalBlocker block(m_widgetBox);
        m_widgetBox->clear();
        m_widgetIndex = -1;
        const nlohmann::json& layer = m_layers.at(size_t(index));
        const auto widgetsIt = layer.find("widgets");
        if (widgetsIt != layer.end() && widgetsIt->is_array()) {
            for (const nlohmann::json& widget : *widgetsIt) {
                const QString name = OV::fromStdText(widget.at("name").get<std::string>());
                const QPixmap picture = storedPicture(widget);
                if (picture.isNull())
                    m_widgetBox->addItem(name);
                else
                    m_widgetBox->addItem(QIcon(picture), name);
            }
        }
    } catch (const std::exception& e) {
        Logger::error(kTag, "init UI error: %s", e.what());
    }
    onWidgetChosen(m_widgetBox->currentIndex());
    if (m_watcher)
        m_watcher->markDirty();
}

const nlohmann::json* ScenePelloraWidgetConfig::chosenWidget() const
{
    if (m_layerIndex < 0 || m_widgetIndex < 0 || size_t(m_layerIndex) >= m_layers.size())
        return nullptr;
    const nlohmann::json& layer = m_layers[size_t(m_layerIndex)];
    const auto widgetsIt = layer.find("widgets");
    if (widgetsIt == layer.end() || !widgetsIt->is_array() || size_t(m_widgetIndex) >= widgetsIt->size())
        return nullptr;
    return &(*widgetsIt)[size_t(m_widgetIndex)];
}

void ScenePelloraWidgetConfig::onWidgetChosen(int index)
{
    m_widgetIndex = index;
    const nlohmann::json* widget = chosenWidget();
    if (!widget) {
        m_preview->clear();
        return;
    }
    int percent = 100;
    const auto scaleIt = widget->find("iconScalePercent");
    if (scaleIt != widget->end() && scaleIt->is_number())
        percent = scaleIt->get<int>();
    const int side = m_preview->width() * percent / 100;
    const QPixmap picture = storedPicture(*widget);
    m_preview->setPixmap(picture.isNull() || side <= 0
                             ? QPixmap()
                             : picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    if (m_watcher)
        m_watcher->markDirty();
}

nlohmann::json ScenePelloraWidgetConfig::buildActionJson(bool /*showError*/)
{
    const QString moduleName = m_module ? m_module->name : QString();
    const QString desc =
        tr("Set %1 page: %2/%3").arg(moduleName, m_layerBox->currentText(), m_widgetBox->currentText());
    QString layerId;
    QString widgetId;
    if (m_layerIndex >= 0 && m_widgetIndex >= 0) {
        if (const nlohmann::json* widget = chosenWidget()) {
            layerId = idText(m_layers[size_t(m_layerIndex)].value("id", nlohmann::json()));
            widgetId = idText(widget->value("id", nlohmann::json()));
        }
    }
    nlohmann::json deploy = {
        {"id", m_moduleId},
        {"type", m_node.at("type")},
        {"values", nlohmann::json::array({SceneActionRecord::valueEntry(1, layerId.toStdString()),
                                          SceneActionRecord::valueEntry(2, widgetId.toStdString())})}};
    return SceneActionRecord::make(m_node, desc, std::move(deploy));
}

void ScenePelloraWidgetConfig::reset() {}

void ScenePelloraWidgetConfig::setEditStateWatcher(EditStateWatcher* watcher)
{
    SceneActionExPanel::setEditStateWatcher(watcher);
    watcher->watch(m_layerBox);
    watcher->watch(m_widgetBox);
}

} // namespace OV
