#pragma once

#include "core/ErrorCode.h"

#include <QString>

#include <functional>
#include <optional>
#include <utility>

namespace OV {

// The outcome of every fallible operation: a row of the code table, a detail text and,
// for a success that carries one, the value. Callers decide by the code alone.
template <typename T>
class BaseResult
{
public:
    ErrorCode error;
    std::optional<T> data;
    QString message;

    BaseResult() = default;
    BaseResult(T value) : data(std::move(value)) {}
    BaseResult(const ErrorCode& err, QString detail = {}) : error(err), message(std::move(detail)) {}

    static BaseResult success(T value) { return BaseResult(std::move(value)); }
    static BaseResult failure(const ErrorCode& err, QString detail = {}) { return BaseResult(err, std::move(detail)); }

    // Takes over the code and detail of another result of any value type.
    template <typename U>
    static BaseResult from(const BaseResult<U>& other)
    {
        return BaseResult(other.error, other.message);
    }

    bool isOk() const { return error.code == 0; }
    int32_t code() const { return error.code; }
    const char* text() const { return error.text; }
    explicit operator bool() const { return isOk(); }
};

template <>
class BaseResult<void>
{
public:
    ErrorCode error;
    QString message;

    BaseResult() = default;
    BaseResult(const ErrorCode& err, QString detail = {}) : error(err), message(std::move(detail)) {}

    static BaseResult success() { return {}; }
    static BaseResult failure(const ErrorCode& err, QString detail = {}) { return BaseResult(err, std::move(detail)); }

    template <typename U>
    static BaseResult from(const BaseResult<U>& other)
    {
        return BaseResult(other.error, other.message);
    }

    bool isOk() const { return error.code == 0; }
    int32_t code() const { return error.code; }
    const char* text() const { return error.text; }
    explicit operator bool() const { return isOk(); }
};

template <typename T>
using BaseResultCallback = std::function<void(const BaseResult<T>&)>;

} // namespace OV
