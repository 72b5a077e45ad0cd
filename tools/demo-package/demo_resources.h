#pragma once
// Resource ids of the demo package's payload.
enum {
    kDemoProductResource = 201,
    kDemoUninstallerResource = 202,
    kDemoFillerResource = 203,
};
