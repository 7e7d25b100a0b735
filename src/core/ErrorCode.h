#pragma once

#include <cstdint>

namespace OV {

// One row of the system-wide code table. The text points at a static string, so a
// result never carries a code without its text.
struct ErrorCode
{
    int32_t code = 0;
    const char* text = "No error";
};

namespace Errors {
extern const ErrorCode NoError;
extern const ErrorCode Unknown;
extern const ErrorCode Logic;
extern const ErrorCode InvalidArgument;
extern const ErrorCode NotInitialized;
extern const ErrorCode AlreadyExists;
extern const ErrorCode InvalidFilePath;
extern const ErrorCode OpenProjectFailed;
extern const ErrorCode ProjectFileNotExists;
extern const ErrorCode DatabaseExecFailed;
extern const ErrorCode DatabaseEntryNotFound;
extern const ErrorCode InvalidDatabaseFormat;
extern const ErrorCode RecordAlreadyExists;
extern const ErrorCode RecordNotExists;
extern const ErrorCode NoRowsAffected;
extern const ErrorCode IoError;
extern const ErrorCode FileNotFound;
extern const ErrorCode ReadFailed;
extern const ErrorCode WriteFailed;
extern const ErrorCode PermissionDenied;
extern const ErrorCode ProjectLoadFailed;
extern const ErrorCode ProjectSaveFailed;
extern const ErrorCode ProjectVersionMismatch;
extern const ErrorCode ProjectAlreadyExists;
extern const ErrorCode DeployFailed;
extern const ErrorCode DuplicateModule;
extern const ErrorCode DeployProfileFailed;
extern const ErrorCode RequestTimeout;
extern const ErrorCode KestrinReplyError;

// The whole table in its fixed order.
const ErrorCode* table(int* count);
// The row for a code; the "Unknown error" row for a code outside the table.
ErrorCode byCode(int32_t code);
} // namespace Errors

} // namespace OV
