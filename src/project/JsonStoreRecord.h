#pragma once

#include <QString>

#include <chrono>
#include <cstdint>
#include <ratio>

namespace OV {

// Row times in memory: 100 ns ticks since the Unix epoch (the file keeps whole seconds).
using StoreTicks = std::chrono::duration<int64_t, std::ratio<1, 10000000>>;
using StoreTime = std::chrono::time_point<std::chrono::system_clock, StoreTicks>;

// One row of json_store.
struct JsonStoreRecord
{
    int64_t id = -1;
    StoreTime created_at{};
    StoreTime updated_at{};
    QString type;
    QString k1;
    QString k2;
    QString k3;
    QString k4;
    QString columns;
    // A null text means the data column was not read (or is not to be written); a row whose
    // data was read but is NULL or empty holds an empty, non-null text.
    QString data;
    int64_t sort_id = 0;
};

} // namespace OV
