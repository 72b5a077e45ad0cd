#pragma once
// The tracker's event log: a file made (empty) at start and kept open.
#include <windows.h>

#include <string>

namespace tandry {
namespace tracking {

class TrackLogger {
public:
    virtual ~TrackLogger() = default;
    virtual const std::string& path() const = 0;
    virtual bool isOpen() const = 0;
};

class NativeTrackLogger : public TrackLogger {
public:
    // path is UTF-8; the file is created when missing, never truncated.
    explicit NativeTrackLogger(const std::string& path);
    ~NativeTrackLogger() override;
    NativeTrackLogger(const NativeTrackLogger&) = delete;
    NativeTrackLogger& operator=(const NativeTrackLogger&) = delete;

    const std::string& path() const override { return path_; }
    bool isOpen() const override { return file_ != INVALID_HANDLE_VALUE; }

private:
    std::string path_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

} // namespace tracking
} // namespace tandry
