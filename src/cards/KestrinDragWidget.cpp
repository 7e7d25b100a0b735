#include "cards/KestrinDragWidget.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

namespace OV {

namespace {

// Touched on the GUI thread only.
uint64_t g_nextDragId = 0;
KestrinDragWidget::DragRunner g_dragRunner;

} // namespace

KestrinDragWidget::KestrinDragWidget(QWidget* parent) : BaseWidget(parent), m_dragId(g_nextDragId++)
{
    setMouseTracking(true);
}

void KestrinDragWidget::setDragRunner(DragRunner runner)
{
    g_dragRunner = std::move(runner);
}

QByteArray KestrinDragWidget::payload() const
{
    nlohmann::json object = nlohmann::json::object();
    object["config"] = m_config;
    object["from"] = m_sourceTag.toStdString();
    object["id"] = m_dragId;
    object["widgetType"] = m_widgetType.toStdString();
    return QByteArray::fromStdString(object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

void KestrinDragWidget::setData(nlohmann::json&& config)
{
    m_config = std::move(config);
}

nlohmann::json* KestrinDragWidget::data()
{
    return &m_config;
}

QPixmap KestrinDragWidget::dragPixmap()
{
    if (m_pixmapProvider)
        return m_pixmapProvider();
    return grab();
}

bool KestrinDragWidget::canDrag(QMouseEvent* /*event*/)
{
    return m_draggable;
}

void KestrinDragWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressPos = event->position().toPoint();
    event->accept();
    BaseWidget::mousePressEvent(event);
}

void KestrinDragWidget::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if ((event->buttons() & Qt::LeftButton) && canDrag(event) &&
        (pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        auto* mime = new QMimeData;
        mime->setData(m_mimeType, payload());
        auto* drag = new QDrag(this);
        const QPixmap pixmap = dragPixmap();
        if (!pixmap.isNull()) {
            QPixmap faded(pixmap.size());
            faded.setDevicePixelRatio(pixmap.devicePixelRatio());
            faded.fill(Qt::transparent);
            QPainter painter(&faded);
            painter.setOpacity(m_dragOpacity);
            painter.drawPixmap(0, 0, pixmap);
            painter.end();
            drag->setPixmap(faded);
            drag->setHotSpot(QPoint(faded.width() / 2, faded.height() / 2));
        }
        drag->setMimeData(mime);
        if (g_dragRunner) {
            g_dragRunner(drag);
            drag->deleteLater();
        } else {
            drag->exec(Qt::MoveAction);
        }
    }
    QWidget::mouseMoveEvent(event);
}

} // namespace OV
