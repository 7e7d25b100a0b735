#pragma once

#include <QColor>
#include <QList>
#include <QPointF>
#include <QWidget>

#include <functional>

namespace OV {

// The rhythm of a tap mode: one circle per tap, spaced by the gaps between the taps (0.12 px a
// ms), joined by lines. Playing lights the circles one by one at the rhythm's times, then clears
// them 500 ms after the last.
class ModuleThessaRhythmWidget : public QWidget
{
    Q_OBJECT
public:
    // Runs the callable after the delay on the GUI thread. Tests put a clock of their own here.
    using Scheduler = std::function<void(int delayMs, std::function<void()> run)>;

    static constexpr int kRestMs = 500;
    static constexpr double kPixelsPerMs = 0.12;

    explicit ModuleThessaRhythmWidget(QWidget* parent = nullptr);

    void setScheduler(Scheduler scheduler) { m_scheduler = std::move(scheduler); }
    void setDelays(const QList<int>& delays);
    const QList<int>& delays() const { return m_delays; }
    void updatePoints();
    const QList<QPointF>& points() const { return m_points; }
    int highlightedStep() const { return m_highlightedStep; }
    void setHighlightedStep(int step);
    bool isPlaying() const { return m_playing; }

    void play();
    void playStep(int step);
    // Drops every pending step and the rest: a play in progress ends at once, unlit.
    void stop();

    // Called with false when playing starts and with true when it ended.
    std::function<void(bool finished)> onPlayStateChanged;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void schedule(int delayMs, std::function<void()> run);

    QList<int> m_delays;
    QList<QPointF> m_points;
    int m_highlightedStep = -1;
    bool m_playing = false;
    // Steps scheduled under an older generation are dropped when they come due.
    quint64 m_generation = 0;
    Scheduler m_scheduler;
    QColor m_normal{136, 136, 136};
    QColor m_highlight{81, 95, 248};
};

} // namespace OV
