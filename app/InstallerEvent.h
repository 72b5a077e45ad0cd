#pragma once
// One status call of the pipeline, copied for the main window's thread.
#include <string>

struct InstallerEventRecord {
    int code = 0;
    double value = 0.0;
    std::wstring text;
};
