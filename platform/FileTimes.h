#pragma once

#include "platform/FileTypes.h"

#include <ctime>

namespace tarvo {

// File times travel between the local disk (nanoseconds) and shares, where
// libsmbclient can set only microseconds. Every time the platform reports is
// cut to microseconds, so a copied file compares equal with its source.
constexpr quint64 FileTimeTicksPerSecond = 10'000'000;
constexpr qint64 UnixEpochInFileTimeSeconds = 11'644'473'600; // 1601-01-01 to 1970-01-01

constexpr FileTime fileTimeFromTimespec(const timespec& time)
{
    const qint64 seconds = qint64(time.tv_sec) + UnixEpochInFileTimeSeconds;
    if (seconds < 0)
        return 0;
    const quint64 micros = quint64(time.tv_nsec) / 1000;
    return quint64(seconds) * FileTimeTicksPerSecond + micros * 10;
}

// Milliseconds since 1970, for QDateTime.
constexpr qint64 unixMillisecondsFromFileTime(FileTime time)
{
    return qint64(time / 10'000) - UnixEpochInFileTimeSeconds * 1000;
}

constexpr timespec timespecFromFileTime(FileTime time)
{
    timespec result{};
    result.tv_sec = time_t(qint64(time / FileTimeTicksPerSecond) - UnixEpochInFileTimeSeconds);
    result.tv_nsec = long(time % FileTimeTicksPerSecond / 10 * 1000);
    return result;
}

} // namespace tarvo
