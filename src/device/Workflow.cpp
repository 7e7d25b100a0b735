#include "device/Workflow.h"

#include "core/Logger.h"

#include <stdexcept>

namespace OV {

Workflow::~Workflow()
{
    Logger::debug("Workflow", "~Workflow()");
}

Workflow& Workflow::then(Step step)
{
    m_steps.push_back(std::move(step));
    return *this;
}

void Workflow::start(DoneHandler onDone)
{
    std::shared_ptr<Workflow> self = shared_from_this();
    m_index = 0;
    m_running = true;
    m_self = std::move(self);
    m_onDone = std::move(onDone);
    run();
}

void Workflow::run()
{
    if (!m_running)
        return;
    // Steps may finish (and so release) the workflow or append steps while they run.
    const std::shared_ptr<Workflow> keep = m_self;
    if (m_index >= m_steps.size()) {
        finish(nullptr);
        return;
    }
    const Step step = m_steps[m_index];
    try {
        step(*this);
    } catch (const std::exception& e) {
        finish(&e);
    } catch (...) {
        const std::runtime_error unknown("unknown");
        finish(&unknown);
    }
}

void Workflow::next()
{
    if (!m_running)
        return;
    ++m_index;
    run();
}

void Workflow::finish(const std::exception* error)
{
    if (!m_running)
        return;
    const std::shared_ptr<Workflow> keep = std::move(m_self);
    m_running = false;
    const DoneHandler onDone = std::move(m_onDone);
    m_onDone = nullptr;
    if (onDone)
        onDone(*this, error);
}

} // namespace OV
