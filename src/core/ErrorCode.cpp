#include "core/ErrorCode.h"

namespace OV::Errors {

namespace {
constexpr ErrorCode kTable[] = {
    {0, "No error"},
    {1000, "Unknown error"},
    {1001, "Logic error"},
    {1002, "Invalid argument"},
    {1003, "Not initialized"},
    {1004, "Already exists"},
    {1005, "Invalid file path"},
    {2000, "Open project failed"},
    {2001, "Project file not exists"},
    {2002, "Database execution failed"},
    {2003, "Database entry not found"},
    {2004, "Invalid database format"},
    {2005, "Record is already exists"},
    {2006, "Record is not exists"},
    {2007, "No rows affected"},
    {3000, "IO error"},
    {3001, "File not found"},
    {3002, "Read failed"},
    {3003, "Write failed"},
    {3004, "Permission denied"},
    {5000, "Project load failed"},
    {5001, "Project save failed"},
    {5002, "Project version mismatch"},
    {5003, "Project already exists"},
    {5004, "Deploy failed"},
    {5050, "Trying to add a duplicate module"},
    {5100, "Deploy profile failed"},
    {6000, "Request api timeout"},
    {6001, "Kestrin reply error"},
};
constexpr int kCount = sizeof(kTable) / sizeof(kTable[0]);
} // namespace

const ErrorCode NoError = kTable[0];
const ErrorCode Unknown = kTable[1];
const ErrorCode Logic = kTable[2];
const ErrorCode InvalidArgument = kTable[3];
const ErrorCode NotInitialized = kTable[4];
const ErrorCode AlreadyExists = kTable[5];
const ErrorCode InvalidFilePath = kTable[6];
const ErrorCode OpenProjectFailed = kTable[7];
const ErrorCode ProjectFileNotExists = kTable[8];
const ErrorCode DatabaseExecFailed = kTable[9];
const ErrorCode DatabaseEntryNotFound = kTable[10];
const ErrorCode InvalidDatabaseFormat = kTable[11];
const ErrorCode RecordAlreadyExists = kTable[12];
const ErrorCode RecordNotExists = kTable[13];
const ErrorCode NoRowsAffected = kTable[14];
const ErrorCode IoError = kTable[15];
const ErrorCode FileNotFound = kTable[16];
const ErrorCode ReadFailed = kTable[17];
const ErrorCode WriteFailed = kTable[18];
const ErrorCode PermissionDenied = kTable[19];
const ErrorCode ProjectLoadFailed = kTable[20];
const ErrorCode ProjectSaveFailed = kTable[21];
const ErrorCode ProjectVersionMismatch = kTable[22];
const ErrorCode ProjectAlreadyExists = kTable[23];
const ErrorCode DeployFailed = kTable[24];
const ErrorCode DuplicateModule = kTable[25];
const ErrorCode DeployProfileFailed = kTable[26];
const ErrorCode RequestTimeout = kTable[27];
const ErrorCode KestrinReplyError = kTable[28];

const ErrorCode* table(int* count)
{
    if (count)
        *count = kCount;
    return kTable;
}

ErrorCode byCode(int32_t code)
{
    for (const auto& row : kTable) {
        if (row.code == code)
            return row;
    }
    return Unknown;
}

} // namespace OV::Errors
