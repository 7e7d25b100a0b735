#pragma once

#include <QObject>

#include <functional>

class QMouseEvent;

namespace OV {

// Turns a right-button release on a watched object into a call and swallows it; every other
// event, and every event while no handler is set, passes on.
class RightClickFilter : public QObject
{
    Q_OBJECT
public:
    explicit RightClickFilter(QObject* parent = nullptr) : QObject(parent) {}

    std::function<void(QObject* watched, QMouseEvent* event)> handler;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace OV
