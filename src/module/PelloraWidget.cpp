#include "module/PelloraWidget.h"

namespace OV {

PelloraWidget::PelloraWidget(int type, qint64 moduleRecordId, const nlohmann::json& widget, PelloraImageMap images,
                             QWidget* parent)
    : QWidget(parent), m_type(type), m_moduleRecordId(moduleRecordId), m_widget(widget), m_images(std::move(images))
{
    const auto id = widget.find("id");
    if (id != widget.end() && id->is_number_integer())
        m_widgetId = id->get<int64_t>();
    m_info.widget = widget;
}

} // namespace OV
