#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace OV {

// Root of every stored object: the record id and the conversions to and from the record.
template <typename Record>
class ProjectDbBean
{
public:
    int64_t id = -1;

    ProjectDbBean() = default;
    ProjectDbBean(const ProjectDbBean&) = default;
    ProjectDbBean(ProjectDbBean&&) = default;
    ProjectDbBean& operator=(const ProjectDbBean&) = default;
    ProjectDbBean& operator=(ProjectDbBean&&) = default;
    virtual ~ProjectDbBean() = default;

    // Throws std::invalid_argument when the bean cannot be stored.
    virtual void validate() const
    {
        if (id < 0 && id != -1)
            throw std::invalid_argument("invalid id:" + std::to_string(id));
    }
    virtual void fromRecord(const Record& record) { id = record.id; }
    virtual void writeRecord(Record& record) const = 0;

    // A new record holding this bean's row; validates first.
    std::shared_ptr<Record> toRecord() const
    {
        validate();
        auto record = std::make_shared<Record>();
        record->id = id;
        writeRecord(*record);
        return record;
    }
};

} // namespace OV
