#pragma once

#include <any>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace OV {

// Runs asynchronous steps one after another: each step starts some work that later calls
// next() or finish(). Held by shared pointer; it keeps itself alive while it runs.
class Workflow : public std::enable_shared_from_this<Workflow>
{
public:
    using Step = std::function<void(Workflow&)>;
    using DoneHandler = std::function<void(Workflow&, const std::exception*)>;

    Workflow() = default;
    ~Workflow();
    Workflow(const Workflow&) = delete;
    Workflow& operator=(const Workflow&) = delete;

    Workflow& then(Step step);
    // Throws std::bad_weak_ptr when the workflow is not owned by a shared pointer.
    void start(DoneHandler onDone);
    void run();
    // Moves on to the following step; nothing once the workflow has finished.
    void next();
    // Ends the workflow; onDone runs once, later calls do nothing.
    void finish(const std::exception* error);

    bool isRunning() const { return m_running; }
    size_t index() const { return m_index; }
    size_t stepCount() const { return m_steps.size(); }

    std::unordered_map<std::string, std::any>& data() { return m_data; }
    const std::unordered_map<std::string, std::any>& data() const { return m_data; }

private:
    std::vector<Step> m_steps;
    std::unordered_map<std::string, std::any> m_data;
    size_t m_index = 0;
    bool m_running = false;
    std::shared_ptr<Workflow> m_self;
    DoneHandler m_onDone;
};

} // namespace OV
