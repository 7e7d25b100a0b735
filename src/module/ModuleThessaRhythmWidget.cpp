#include "module/ModuleThessaRhythmWidget.h"

#include <QLineF>
#include <QPainter>
#include <QPointer>
#include <QTimer>

namespace OV {

namespace {

constexpr double kLineWidth = 3;
constexpr double kGap = 6;
constexpr double kRadius = 8;

} // namespace

ModuleThessaRhythmWidget::ModuleThessaRhythmWidget(QWidget* parent) : QWidget(parent)
{
    m_scheduler = [this](int delayMs, std::function<void()> run) { QTimer::singleShot(delayMs, this, run); };
}

void ModuleThessaRhythmWidget::setDelays(const QList<int>& delays)
{
    m_delays = delays;
    updatePoints();
    m_highlightedStep = -1;
    update();
}

void ModuleThessaRhythmWidget::updatePoints()
{
    m_points.clear();
    const double y = height() / 2.0;
    double x = 20;
    m_points << QPointF(x, y);
    for (int delay : std::as_const(m_delays)) {
        x += kPixelsPerMs * delay;
        m_points << QPointF(x, y);
    }
    for (QPointF& point : m_points)
        point.rx() += 20;
}

void ModuleThessaRhythmWidget::setHighlightedStep(int step)
{
    m_highlightedStep = step;
    update();
}

void ModuleThessaRhythmWidget::schedule(int delayMs, std::function<void()> run)
{
    const quint64 generation = m_generation;
    QPointer<ModuleThessaRhythmWidget> self(this);
    m_scheduler(delayMs, [self, generation, run = std::move(run)] {
        if (self && self->m_generation == generation)
            run();
    });
}

void ModuleThessaRhythmWidget::play()
{
    if (m_delays.isEmpty())
        return;
    ++m_generation;
    m_playing = true;
    if (onPlayStateChanged)
        onPlayStateChanged(false);
    updatePoints();
    setHighlightedStep(0);
    schedule(0, [this] { playStep(1); });
}

void ModuleThessaRhythmWidget::playStep(int step)
{
    if (step < m_points.size()) {
        schedule(m_delays.value(step - 1), [this, step] {
            setHighlightedStep(step);
            playStep(step + 1);
        });
        return;
    }
    schedule(kRestMs, [this] {
        m_playing = false;
        setHighlightedStep(-1);
        if (onPlayStateChanged)
            onPlayStateChanged(true);
    });
}

void ModuleThessaRhythmWidget::stop()
{
    ++m_generation;
    const bool wasPlaying = m_playing;
    m_playing = false;
    setHighlightedStep(-1);
    if (wasPlaying && onPlayStateChanged)
        onPlayStateChanged(true);
}

void ModuleThessaRhythmWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updatePoints();
}

void ModuleThessaRhythmWidget::paintEvent(QPaintEvent*)
{
    if (m_points.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(m_normal, kLineWidth);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    for (int i = 1; i < m_points.size(); ++i) {
        QLineF line(m_points[i - 1], m_points[i]);
        const double length = line.length();
        const double cut = kRadius + kGap;
        if (length <= 2 * cut)
            continue;
        const QPointF unit = (line.p2() - line.p1()) / length;
        painter.drawLine(QLineF(line.p1() + unit * cut, line.p2() - unit * cut));
    }
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < m_points.size(); ++i) {
        painter.setBrush(m_highlightedStep >= 0 && i <= m_highlightedStep ? m_highlight : m_normal);
        painter.drawEllipse(m_points[i], kRadius, kRadius);
    }
}

} // namespace OV
