#pragma once
// The installer's analytics reports. Each one does nothing when analytics is
// off or no tracker runs, and none ever fails towards its caller.
#include <map>
#include <string>

#include "app/InstallerEvent.h"

// Only "AB" is read: the A/B group value.
using ReportProperties = std::map<std::wstring, std::wstring>;

void ReportTask(const std::wstring& name, float value, const ReportProperties& properties,
                const std::wstring& description);
void ReportClick(const ReportProperties& properties, const std::wstring& name);
// The page is always "安装中".
void ReportPageView(const ReportProperties& properties);
// The crash text is always "崩溃".
void ReportCrash();
// The long failure-reason report, with disk, permission and network facts
// about the package file at packagePath (CDownloadInstaller::GetPackagePath).
void ReportDownloadFailure(const InstallerEventRecord& record, const std::wstring& packagePath);
// The short failure-reason report.
void ReportFailureReason(const InstallerEventRecord& record, bool isDownload);
